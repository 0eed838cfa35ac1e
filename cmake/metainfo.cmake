# Writes the AppStream metainfo from its template, as a script so the package test can write it
# with other web addresses too:
#   cmake -DTEMPLATE=… -DOUTPUT=… -DID=… -DVERSION=… -DDATE=YYYY-MM-DD
#         [-DHOMEPAGE=https://…] [-DSCREENSHOTS=https://…/docs/screenshots] -P metainfo.cmake
# AppStream takes only web addresses for the home page and the screenshots; without them the
# file names neither.
foreach(var TEMPLATE OUTPUT ID VERSION DATE)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "metainfo.cmake: ${var} is not given")
  endif()
endforeach()

set(web "")
if(HOMEPAGE)
  string(APPEND web "  <url type=\"homepage\">${HOMEPAGE}</url>\n")
endif()
if(SCREENSHOTS)
  # The README's pictures, in the order a software centre shows them; the first is the default.
  set(shots
    "practice|Practising with the hints on: the code of the next character, its keys lit, its decomposition|练习时显示提示：下一个字的编码、点亮的键和拆字图"
    "practice_word|A two-character word at the target, with the code of the word|遇到词时显示词的编码"
    "main_idle|The window before a practice text is opened|打开练习文本之前的窗口"
    "findit|Looking up the code and decomposition of any character|查询任意汉字的编码和拆字图"
    "settings|Keys and settings|功能键与设置")
  string(APPEND web "  <screenshots>\n")
  set(kind " type=\"default\"")
  foreach(shot IN LISTS shots)
    string(REPLACE "|" ";" parts "${shot}")
    list(GET parts 0 file)
    list(GET parts 1 caption)
    list(GET parts 2 caption_zh)
    string(APPEND web "    <screenshot${kind}>\n"
                      "      <caption>${caption}</caption>\n"
                      "      <caption xml:lang=\"zh-CN\">${caption_zh}</caption>\n"
                      "      <image>${SCREENSHOTS}/${file}.png</image>\n"
                      "    </screenshot>\n")
    set(kind "")
  endforeach()
  string(APPEND web "  </screenshots>\n")
endif()

set(ML_APPSTREAM_ID "${ID}")
set(ML_RELEASE_VERSION "${VERSION}")
set(ML_RELEASE_DATE "${DATE}")
string(STRIP "${web}" ML_METAINFO_WEB)
if(ML_METAINFO_WEB)
  set(ML_METAINFO_WEB "  ${ML_METAINFO_WEB}")
endif()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
