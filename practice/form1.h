#pragma once
// The main window: the one long-lived object of the tutor. It owns every piece of practice state
// as plain members and every element of the practice screen, and runs the practice: the feed,
// the typing checker, the clock, the opening of files, the hint display and the charts.
//
// What lies above it reaches it through two seams, so that it depends on neither: the key
// commands (commands/) are installed as its Form1Commands, and the dialogs (dialogs/) answer its
// signals.

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

#include "hints/dictionary.h"
#include "platform/itemreader.h"
#include "platform/platform.h"
#include "platform/programfolder.h"
#include "platform/recordfile.h"
#include "platform/textfile.h"
#include "record/tally.h"

namespace ml {

class Form1;
class HintPrefetch;
class LookupMemo;
class PictureCache;
struct DrillMode;
namespace course {
class Coach;
class DrillStore;
}  // namespace course
namespace record {
class Recorder;
struct SessionInfo;
}

// The key handlers of the input box and of the window, run before the box acts on a key; a
// handler consumes the key by setting its code to 0.
class Form1Commands {
public:
    virtual ~Form1Commands() = default;
    virtual void txtInput_KeyDown(qint16& KeyCode, qint16 Shift) = 0;
    virtual void Form_KeyDown(qint16& KeyCode, qint16 Shift) = 0;
};

// True for \\server\share\… and //server/share/….
bool isNetworkPath(const QString& path);
// Opens a practice text by a local, mounted or network path, reading it once into memory so that
// a share that drops during practice does not break the current pass. Refuses what cannot be a
// practice text: a folder or device, a file over 64 MiB, and bytes that are not code page 936
// text. An empty file is a text without lines, as a local one is.
std::unique_ptr<ItemReader> openRemoteText(const QString& path, QString* error);

// A picture element: shows a pixmap (optionally stretched) and reports clicks and mouse moves.
class Picture : public QLabel {
    Q_OBJECT
public:
    explicit Picture(QWidget* parent) : QLabel(parent) {}
    // Leaves the picture to be decoded when the element is first shown, or when it stops being
    // covered (see covers()): most of the window's art (highlights, lit keys, charts, the hint
    // area) is out of sight at start, and many sessions never show some of it.
    void setPixmapLoader(std::function<QPixmap()> load) { loader_ = std::move(load); }
    // The pixmap, decoded now if it was left for later.
    QPixmap picture();
    // Pictures that lie behind this one and come into sight when it hides: they are decoded then,
    // not when the window first shows.
    void covers(std::initializer_list<Picture*> behind);
    void setVisible(bool visible) override;
signals:
    void clicked();
    void mouseMoved();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void decode();
    std::function<QPixmap()> loader_;
    std::vector<Picture*> covered_;
    bool underCover_ = false;
};

class Form1 : public QWidget {
    Q_OBJECT
public:
    // `folder` is the program folder. Form_Load runs in the constructor, as the window loads.
    Form1(Platform& platform, const ProgramFolder& folder, QWidget* parent = nullptr);
    ~Form1() override;

    // ---- Elements (object names are these member names) ----
    QLabel* lblianxi = nullptr;
    std::array<QLabel*, 28> lb{};  // lb1 … lb28
    QLineEdit* txtInput = nullptr;
    QLabel* lbtime = nullptr;
    QLabel* lbshudu = nullptr;
    QLabel* lbZql = nullptr;
    QLabel* lbfilename = nullptr;
    Picture *Image1 = nullptr, *Image3 = nullptr, *Image2 = nullptr, *Image4 = nullptr;
    Picture *imgcmd1 = nullptr, *imgcmd11 = nullptr, *imgcmd2 = nullptr, *imgcmd22 = nullptr;
    Picture *imgcmd3 = nullptr, *imgcmd33 = nullptr;
    // The course button "五笔课程": Image5 normal, Image6 highlighted (the clickable one).
    Picture *Image5 = nullptr, *Image6 = nullptr;
    // The statistics button beside the About button (normal, highlighted).
    Picture *imgcmd4 = nullptr, *imgcmd44 = nullptr;
    Picture *imghelphide = nullptr, *imghidehelp = nullptr;
    QLabel* lbshowno = nullptr;
    Picture *imgbai = nullptr, *img_zi = nullptr, *img_ci = nullptr, *img_ci1 = nullptr,
            *img_ci2 = nullptr;
    std::array<QLabel*, 4> lbbmcizi{}, lbbmci{}, lbbmzi{};
    std::array<Picture*, 25> keys{};  // a … y
    Picture *imgg = nullptr, *imgh = nullptr, *imgt = nullptr, *imgy = nullptr, *imgn = nullptr;
    QTimer* Timer1 = nullptr;
    // The file dialog's remembered settings.
    QString CD1_FileName, CD1_InitDir, CD1_DefaultExt, CD1_Filter;

    // ---- State ----
    QString Fname;
    qint16 Jishu = 0;
    QString Temp;
    QString Showhelp;
    QString NameQuery;
    QString Finded;
    QString Piczi;
    // Clock start on the platform's monotonic clock (seconds); 0 = not started. A monotonic
    // clock keeps the elapsed time right across midnight.
    double Times = 0;
    // Keystroke counters are 64-bit so that a long session cannot overflow them.
    qint64 Types = 0;
    qint64 RightTypes = 0;
    qint16 UseHelp = 0;
    QString oldInput;
    QString BianmaCi;
    QString BianmaZi;
    qint16 BmHelp = 0;
    qint16 BmHelpAll = 0;
    qint16 TmpHelp = 0;
    QString BigHelp;
    qint32 Jindu = 0;
    qint32 JinduNow = 0;
    QString isLianxi;
    qint16 Lianxicishu = 1;
    qint16 nowLianXiCiShu = 0;

    // ---- Operations ----
    void Form_Load();
    void Lianxi();
    void txtInput_Change();
    void Timer1_Timer();
    void Image3_Click();
    void Image4_Click();
    void newmakefile();
    void Helpme();
    void FindZi();
    void FindCi();
    void Bigshow();
    // Run the installed key commands (none: the key is not consumed).
    void txtInput_KeyDown(qint16& KeyCode, qint16 Shift);
    void Form_KeyDown(qint16& KeyCode, qint16 Shift);
    void setCommands(std::unique_ptr<Form1Commands> commands);
    Form1Commands* commands() const { return commands_.get(); }

    // Chart commands.
    void chartCycle();
    void chartToggle(const QString& zone);
    void chartShowOne(Picture* chart);
    void chartHideAll();

    // Small handlers of the window.
    void Form_MouseMove();
    void Image1_MouseMove();
    void Image2_MouseMove();
    void imgcmd1_MouseMove();
    void imgcmd2_MouseMove();
    void imgcmd3_MouseMove();
    void imgcmd4_MouseMove();
    void imgcmd11_Click();
    void imgcmd22_Click();
    void imgcmd33_Click();
    void imgcmd44_Click();
    void imgg_Click();
    void imghelphide_Click();
    void Image5_MouseMove();
    void Image6_Click();

    // ---- Drill mode "编码练习" (practice/drill.cpp): the course's code drills, judged key by
    // key with the input method off. Nothing of it is read or built until it is first used. ----
    bool inDrill() const;
    // Starts (or switches to) a lesson, locked or not; false, with a message, when it cannot be
    // practised, and the window stays as it was.
    bool enterDrill(const QString& lesson);
    // Back to text practice: the practice file where it was, or the state before any file.
    void leaveDrill();
    // A key of the drill: 'a'–'y' or ' '.
    void drillKey(QChar key);
    void drillBackspace();
    void drillEnter();   // after a round: the next one
    void drillRestart();  // the round again from its first item
    // Brings the drill's own hint marks in line with the hint switches after a command.
    void drillRefresh();
    DrillMode* drill() const { return drill_.get(); }
    // The lesson being drilled, or "".
    QString drillLesson() const;
    // The course and its record, opened on first use.
    course::Coach& coach();
    // Gives the course another record (tests; before first use).
    void setDrillStore(std::unique_ptr<course::DrillStore> store);

    // ---- Helpers shared by the operations ----
    const ProgramFolder& folder() const { return folder_; }
    QString home() const { return folder_.home; }
    // What the tutor writes ("config", progress, practice files, the classroom's configuration).
    QString homePath(const QString& relative) const { return folder_.homePath(relative); }
    // What it only reads (dictionary, pictures, sounds, the help texts).
    QString dataPath(const QString& relative) const { return folder_.dataPath(relative); }
    Platform& platform() { return platform_; }
    CodeDictionary* dictionary() { return dict_.get(); }
    bool readerOpen() const { return reader_ != nullptr; }
    void closeReader() { reader_.reset(); }
    // A problem found while loading (an unusable code dictionary), to be told once the window
    // shows; empty when all is well.
    QString startupWarning() const { return dictStartupError_; }
    // Opens `path` as the practice-file reader; false (with a message shown) when it cannot.
    bool openReader(const QString& path);
    // The state before any file was opened: input box and line hidden, hints covered.
    void returnToNoFile();
    // Writes record 1 of the progress file, when one is open; a failure is told once per opening.
    void writeProgress(qint32 value);
    // Stops the clock and sets the figures back, as every opening does.
    void resetFigures();
    void setCellColor(int k, const QColor& c);
    QColor cellColor(int k) const;
    void hideCodeLabels();
    void showCodeLabels();
    void hideKeys();
    // The temporary hint modes end at the learner's next change (typing checker steps 1–4).
    void endTemporaryHints();
    // Hint display steps.
    void lightKeys(const QString& code);
    bool loadDecomposition(Picture* target);
    // The decomposition picture of `ch` from the session's cache, decoded from disk when it is
    // not there; false when there is none.
    bool cachedDecomposition(const QString& ch, QPixmap* pm);
    // Queues the pictures the coming keystrokes of this line will ask for, to be decoded in
    // idle time.
    void prefetchPictures();
    // Readies the picture and the lookups of the hint for position i + 1 of `line`; false when
    // they were ready.
    bool warmHint(const QString& line, qsizetype i);
    // The code dictionary's answer to `query`, kept once found.
    std::optional<CodeDictionary::Result> lookup(const QString& query);
    void pictureFallback();
    // A failed lookup: no code is shown, then the picture fallback.
    void lookupFallback();
    static const QColor kWhite;
    static const QColor kRed;
    static QColor rightColor();

    // ---- The learning record (record/) ----
    // Null until the first practice file is opened (the record is opened then, so a tutor that
    // only starts costs nothing and takes no lock), and once recording is switched off.
    record::Recorder* recorder() const { return recorder_.get(); }
    // Practice goes on unrecorded from here on (what is waiting is still written).
    void stopRecording();
    // The pass through the file that ended last (the summary shows it).
    const record::PassTally& lastPass() const { return lastPass_; }

signals:
    // The toolbar asks for a dialog; the window closing asks for the About dialog.
    void settingsRequested();
    void lookupRequested();
    void aboutRequested();
    void statisticsRequested();
    void closing();
    // The course button asks for the lesson picker.
    void courseRequested();
    // A pass through the practice file ended: the feed starts over at line 1.
    void passCompleted();

protected:
    // Sees what the input box is about to take, so that characters committed beyond the end of a
    // full line are carried into the next one instead of being cut off by the box.
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void createElements();
    // The format check of an over-long item of `length` characters; false when the round must
    // end because the practice file was replaced or closed meanwhile.
    bool formatCheck(qint64 length);
    // Tells the learner that the practice file cannot be read and returns to the no-file state.
    void failReading();
    // Puts characters committed beyond the end of a finished line into the box of the next round,
    // as typed there; stops when a line does not move on (the box is full) or practice ended.
    void carryOver(QString rest);
    void drillHelp();
    void drillTick();

    // Hooks of the learning record, at the points where the window already acts.
    void startRecording();
    void recordOpening();
    void recordJudged(qsizetype pos, QChar typed, bool right, bool firstOfChange, double now,
                      bool hintDisplay, bool codeHints);
    void recordRoundStart();
    void recordPassEnd();
    void recordClosing();
    // A drill left while a file is open: its practice is recorded again.
    void recordResume();
    record::SessionInfo practiceSession() const;
    // Tells the learner, once, why the record cannot be written.
    void tellRecordProblem();

    Platform& platform_;
    ProgramFolder folder_;
    std::unique_ptr<Form1Commands> commands_;
    QPixmap background_;
    std::future<QImage> backgroundLoad_;
    std::unique_ptr<ItemReader> reader_;
    std::unique_ptr<Cp936LineWriter> convOut_;
    RecordFile progress_;
    std::unique_ptr<CodeDictionary> dict_;
    // Counts openings, so that a round can tell that a nested conversion replaced the file.
    quint64 openings_ = 0;
    // Counts rounds, so that a change of the box can tell that the line moved on meanwhile.
    quint64 rounds_ = 0;
    QString dictStartupError_;
    bool lookupFailed_ = false;
    // The practice text came from the classroom share: reopening fetches it again.
    bool remote_ = false;
    // A dictionary that fails when searched has been told.
    bool dictFailureShown_ = false;
    // A failed progress write has been told since the file was opened.
    bool progressFailureShown_ = false;
    std::unique_ptr<HintPrefetch> prefetch_;
    QString prefetchedLine_;
    std::unique_ptr<PictureCache> pictures_;
    std::unique_ptr<LookupMemo> lookups_;
    std::unique_ptr<record::Recorder> recorder_;
    record::PassTally pass_, lastPass_;
    // Monotonic time of the last judged character of the session; 0 for none yet.
    double lastJudgedAt_ = 0;
    // No character judged yet since the round started: the next one has no latency.
    bool roundFresh_ = true;
    bool recordingStopped_ = false;
    std::unique_ptr<course::DrillStore> drillStore_;
    std::unique_ptr<course::Coach> coach_;
    std::unique_ptr<DrillMode> drill_;
};

}  // namespace ml
