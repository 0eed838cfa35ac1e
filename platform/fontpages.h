#pragma once
// Font files are mapped whole by FreeType, and each glyph read faults in the kernel's default
// window around it (64 KiB), so drawing the few dozen glyphs of a screen of CJK text leaves
// megabytes of font file mapped that are never read again: glyphs, once drawn, live in Qt's
// glyph cache. This marks the mappings of font files for random access, so that later glyph
// reads map single pages, and lets go of the pages mapped so far; they are clean file pages,
// read again from the page cache when a new glyph needs them.

namespace ml {

// Linux only; elsewhere nothing. Returns the number of font mappings advised.
int releaseFontPages();

}  // namespace ml
