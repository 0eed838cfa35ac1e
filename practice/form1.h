#pragma once
// The main window: the one long-lived object of the tutor. It owns every piece of practice state
// as plain members and every element of the practice screen. Its operations are defined in the
// folder of the subsystem they belong to (practice/, hints/, commands/, content/).

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

#include "platform/itemreader.h"
#include "platform/platform.h"
#include "platform/recordfile.h"
#include "platform/textfile.h"

namespace ml {

class CodeDictionary;
class frmAbout;
class findit;
class readandset;

// A picture element: shows a pixmap (optionally stretched) and reports clicks and mouse moves.
class Picture : public QLabel {
    Q_OBJECT
public:
    explicit Picture(QWidget* parent) : QLabel(parent) {}
signals:
    void clicked();
    void mouseMoved();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
};

class Form1 : public QWidget {
    Q_OBJECT
public:
    // `home` is the program folder. Form_Load runs in the constructor, as the window loads.
    Form1(Platform& platform, const QString& home, QWidget* parent = nullptr);
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
    void txtInput_KeyDown(qint16& KeyCode, qint16 Shift);
    void Form_KeyDown(qint16& KeyCode, qint16 Shift);

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
    void imgcmd11_Click();
    void imgcmd22_Click();
    void imgcmd33_Click();
    void imgg_Click();
    void imghelphide_Click();

    // ---- Helpers shared by the operations ----
    QString home() const { return home_; }
    QString homePath(const QString& relative) const;
    Platform& platform() { return platform_; }
    CodeDictionary* dictionary() { return dict_.get(); }
    bool readerOpen() const { return reader_ != nullptr; }
    frmAbout* about() const;
    // A problem found while loading (an unusable code dictionary), to be told once the window
    // shows; empty when all is well.
    QString startupWarning() const { return dictStartupError_; }
    // Opens `path` as the practice-file reader; false (with a message shown) when it cannot.
    bool openReader(const QString& path);
    // The state before any file was opened: input box and line hidden, hints covered.
    void returnToNoFile();
    // Writes record 1 of the progress file, when one is open.
    void writeProgress(qint32 value);
    void setCellColor(int k, const QColor& c);
    QColor cellColor(int k) const;
    void hideCodeLabels();
    void showCodeLabels();
    void hideKeys();
    // Hint display steps.
    void lightKeys(const QString& code);
    bool loadDecomposition(Picture* target);
    void pictureFallback();
    static const QColor kWhite;
    static const QColor kRed;
    static QColor rightColor();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createElements();
    // The format check of an over-long item of `length` characters; false when the round must
    // end because the practice file was replaced or closed meanwhile.
    bool formatCheck(qint64 length);
    // Tells the learner that the practice file cannot be read and returns to the no-file state.
    void failReading();

    Platform& platform_;
    QString home_;
    QPixmap background_;
    std::unique_ptr<ItemReader> reader_;
    std::unique_ptr<Cp936LineWriter> convOut_;
    RecordFile progress_;
    std::unique_ptr<CodeDictionary> dict_;
    QPointer<QWidget> about_;
    QPointer<QWidget> findit_;
    QPointer<QWidget> readandset_;
    QPixmap whiteCi_;
    // Counts openings, so that a round can tell that a nested conversion replaced the file.
    quint64 openings_ = 0;
    QString dictStartupError_;
    bool lookupFailed_ = false;
    // The practice text came from the classroom share: reopening fetches it again.
    bool remote_ = false;
    // The input method has a composition open in the input box.
    bool composing_ = false;
};

}  // namespace ml
