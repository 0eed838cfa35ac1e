#include "form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "art/art.h"
#include "art/artlib.h"
#include "hints/dictionary.h"
#include "practice/rules.h"
#include "practice/texts.h"
#include "record/recorder.h"

namespace ml {

const QColor Form1::kWhite(0xFF, 0xFF, 0xFF);
const QColor Form1::kRed(0xFF, 0x00, 0x00);

QColor Form1::rightColor() {
    // There is no "active window border" colour on every desktop; a soft green reads as "done"
    // and is clearly apart from white (untyped) and red (wrong).
    return QColor(0x8C, 0xC8, 0x7E);
}

void Picture::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit clicked();
    QLabel::mousePressEvent(e);
}

void Picture::mouseMoveEvent(QMouseEvent* e) {
    emit mouseMoved();
    e->accept();
}

namespace {

QFont songFont(double pt) {
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(pt);
    return f;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geo, const QFont& font,
                  const QString& text = QString()) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geo);
    l->setFont(font);
    l->setAttribute(Qt::WA_TranslucentBackground);
    return l;
}

Picture* makePicture(QWidget* parent, const QString& name, const QRect& geo, const QPixmap& pm,
                     bool stretch = false) {
    auto* p = new Picture(parent);
    p->setObjectName(name);
    p->setGeometry(geo);
    p->setScaledContents(stretch);
    if (!pm.isNull()) p->setPixmap(pm);
    return p;
}

}  // namespace

Form1::Form1(Platform& platform, const ProgramFolder& folder, QWidget* parent)
    : QWidget(parent), platform_(platform), folder_(folder) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(text::kWindowTitle);
    setFixedSize(1018, 736);
    setMouseTracking(true);
    // Keys reach the window before a file is open; a click on its surface must not take the
    // focus from the input box while practising.
    setFocusPolicy(Qt::TabFocus);
    createElements();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::setCommands(std::unique_ptr<Form1Commands> commands) { commands_ = std::move(commands); }

void Form1::txtInput_KeyDown(qint16& KeyCode, qint16 Shift) {
    if (commands_) commands_->txtInput_KeyDown(KeyCode, Shift);
}

void Form1::Form_KeyDown(qint16& KeyCode, qint16 Shift) {
    if (commands_) commands_->Form_KeyDown(KeyCode, Shift);
}

void Form1::createElements() {
    const Art art = Art::load(folder_.data);
    background_ = art.background;

    // Practice panel: cells first, so the line label lies in front of them.
    const QFont cellFont = songFont(26.25);
    for (int k = 0; k < 28; ++k) {
        auto* cell = new QLabel(QStringLiteral("█"), this);
        cell->setObjectName(QStringLiteral("lb%1").arg(k + 1));
        cell->setGeometry(96 + 29 * k, 216, 35, 35);
        cell->setFont(cellFont);
        cell->setAlignment(Qt::AlignCenter);
        cell->setAttribute(Qt::WA_TranslucentBackground);
        lb[k] = cell;
        setCellColor(k + 1, kWhite);
    }
    lblianxi = makeLabel(this, "lblianxi", QRect(98, 219, 857, 33), songFont(21.75));
    {
        QPalette p = lblianxi->palette();
        p.setColor(QPalette::WindowText, Qt::black);
        lblianxi->setPalette(p);
    }
    txtInput = new QLineEdit(this);
    txtInput->setObjectName(QStringLiteral("txtInput"));
    txtInput->setGeometry(98, 272, 849, 41);
    txtInput->setFont(songFont(21.75));
    txtInput->setMaxLength(28);
    txtInput->setEnabled(false);
    connect(txtInput, &QLineEdit::textChanged, this, [this] { txtInput_Change(); });

    const QFont figureFont = songFont(12);
    lbtime = makeLabel(this, "lbtime", QRect(184, 360, 120, 20), figureFont, QStringLiteral("0:00:00"));
    lbshudu = makeLabel(this, "lbshudu", QRect(360, 360, 120, 20), figureFont, QStringLiteral("0"));
    lbZql = makeLabel(this, "lbZql", QRect(592, 360, 120, 20), figureFont, QStringLiteral("100%"));
    lbfilename = makeLabel(this, "lbfilename", QRect(72, 32, 449, 13), songFont(9),
                           text::kNoFileCaption);

    // Toolbar: the normal picture lies behind its highlighted twin.
    Image1 = makePicture(this, QStringLiteral("Image1"), QRect(736, 29, 86, 23), art.openLocal);
    Image3 = makePicture(this, QStringLiteral("Image3"), QRect(736, 29, 86, 23), art.openLocalHi);
    Image2 = makePicture(this, QStringLiteral("Image2"), QRect(840, 29, 86, 23), art.openRemote);
    Image4 = makePicture(this, QStringLiteral("Image4"), QRect(840, 29, 86, 23), art.openRemoteHi);
    imgcmd1 = makePicture(this, QStringLiteral("imgcmd1"), QRect(756, 347, 44, 40), art.cmd[0]);
    imgcmd11 = makePicture(this, QStringLiteral("imgcmd11"), QRect(756, 347, 44, 40), art.cmdHi[0]);
    imgcmd2 = makePicture(this, QStringLiteral("imgcmd2"), QRect(812, 347, 44, 40), art.cmd[1]);
    imgcmd22 = makePicture(this, QStringLiteral("imgcmd22"), QRect(812, 347, 44, 40), art.cmdHi[1]);
    imgcmd3 = makePicture(this, QStringLiteral("imgcmd3"), QRect(869, 347, 44, 40), art.cmd[2]);
    imgcmd33 = makePicture(this, QStringLiteral("imgcmd33"), QRect(869, 347, 44, 40), art.cmdHi[2]);
    // Beside the About button, as far right as the figures card leaves room for.
    imgcmd4 = makePicture(this, QStringLiteral("imgcmd4"), QRect(914, 347, 44, 40), art.cmd[3]);
    imgcmd44 = makePicture(this, QStringLiteral("imgcmd44"), QRect(914, 347, 44, 40), art.cmdHi[3]);
    for (Picture* hi : {Image3, Image4, imgcmd11, imgcmd22, imgcmd33, imgcmd44}) hi->hide();
    imgcmd11->setToolTip(text::kSettingsTip);
    imgcmd22->setToolTip(text::kLookupTip);
    imgcmd33->setToolTip(text::kAboutTip);
    imgcmd44->setToolTip(text::kStatisticsTip);
    for (Picture* p : {Image1, Image2, imgcmd1, imgcmd2, imgcmd3, imgcmd4}) p->setMouseTracking(true);
    connect(Image1, &Picture::mouseMoved, this, [this] { Image1_MouseMove(); });
    connect(Image2, &Picture::mouseMoved, this, [this] { Image2_MouseMove(); });
    connect(imgcmd1, &Picture::mouseMoved, this, [this] { imgcmd1_MouseMove(); });
    connect(imgcmd2, &Picture::mouseMoved, this, [this] { imgcmd2_MouseMove(); });
    connect(imgcmd3, &Picture::mouseMoved, this, [this] { imgcmd3_MouseMove(); });
    connect(imgcmd4, &Picture::mouseMoved, this, [this] { imgcmd4_MouseMove(); });
    connect(Image3, &Picture::clicked, this, [this] { Image3_Click(); });
    connect(Image4, &Picture::clicked, this, [this] { Image4_Click(); });
    connect(imgcmd11, &Picture::clicked, this, [this] { imgcmd11_Click(); });
    connect(imgcmd22, &Picture::clicked, this, [this] { imgcmd22_Click(); });
    connect(imgcmd33, &Picture::clicked, this, [this] { imgcmd33_Click(); });
    connect(imgcmd44, &Picture::clicked, this, [this] { imgcmd44_Click(); });

    // Hint area, created back to front: img_ci1, img_ci, img_ci2, imgbai, lbshowno, the code
    // labels, img_zi, then the two covers.
    img_ci1 = makePicture(this, QStringLiteral("img_ci1"), QRect(224, 93, 219, 54), {}, true);
    whiteCi_ = art.whiteCi;
    img_ci = makePicture(this, QStringLiteral("img_ci"), QRect(334, 93, 217, 52), art.whiteCi, true);
    img_ci2 = makePicture(this, QStringLiteral("img_ci2"), QRect(360, 93, 219, 54), {}, true);
    imgbai = makePicture(this, QStringLiteral("imgbai"), QRect(472, 93, 173, 56), art.whiteBai, true);
    lbshowno = makeLabel(this, "lbshowno", QRect(232, 93, 57, 56), songFont(42));
    lbshowno->setAlignment(Qt::AlignCenter);
    const int ciziX[4] = {243, 299, 355, 411};
    const int ciX[4] = {243, 299, 379, 435};
    const int ziX[4] = {635, 691, 747, 800};
    QFont codeFont(QStringLiteral("Arial Black"));
    codeFont.setPointSizeF(15.75);
    codeFont.setWeight(QFont::Black);
    auto makeCode = [&](const QString& name, int x) {
        auto* l = new QLabel(QStringLiteral("G"), this);
        l->setObjectName(name);
        l->setGeometry(x, 144, 33, 41);
        l->setFont(codeFont);
        l->setAlignment(Qt::AlignCenter);
        l->setAttribute(Qt::WA_TranslucentBackground);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, kRed);
        l->setPalette(p);
        l->hide();
        return l;
    };
    for (int i = 0; i < 4; ++i) lbbmcizi[i] = makeCode(QStringLiteral("lbbmcizi%1").arg(i + 1), ciziX[i]);
    for (int i = 0; i < 4; ++i) lbbmci[i] = makeCode(QStringLiteral("lbbmci%1").arg(i + 1), ciX[i]);
    for (int i = 0; i < 4; ++i) lbbmzi[i] = makeCode(QStringLiteral("lbbmzi%1").arg(i + 1), ziX[i]);
    img_zi = makePicture(this, QStringLiteral("img_zi"), QRect(616, 93, 219, 54), {}, true);
    imghidehelp = makePicture(this, QStringLiteral("imghidehelp"), QRect(80, 87, 855, 73), art.hideHelp);
    imghelphide = makePicture(this, QStringLiteral("imghelphide"), QRect(80, 87, 855, 73), art.helpHide);
    connect(imghelphide, &Picture::clicked, this, [this] { imghelphide_Click(); });

    // Key pictures over the cells of the root chart.
    for (int i = 0; i < 25; ++i) {
        const char key = char('a' + i);
        keys[i] = makePicture(this, QString(QLatin1Char(key)),
                              QRect(art::keyPicturePos(key), QSize(29, 29)), art.keys[i]);
        keys[i]->hide();
    }

    // The root-zone charts lie outside the client area.
    const char* chartNames[5] = {"imgg", "imgh", "imgt", "imgy", "imgn"};
    Picture** charts[5] = {&imgg, &imgh, &imgt, &imgy, &imgn};
    for (int i = 0; i < 5; ++i) {
        *charts[i] = makePicture(this, QLatin1String(chartNames[i]), QRect(-2000, 300, 800, 293),
                                 art.charts[i]);
        (*charts[i])->hide();
    }
    connect(imgg, &Picture::clicked, this, [this] { imgg_Click(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
}

void Form1::Form_Load() {
    bool ok = false;
    if (auto cfg = ItemReader::openFile(homePath(QStringLiteral("config")))) {
        QString first;
        if (cfg->next(&first, 256)) {
            if (auto n = parseNumberField(first)) {
                Lianxicishu = *n;
                ok = true;
            }
        }
    }
    if (ok) {
        nowLianXiCiShu = 0;
        if (Lianxicishu < 1 || Lianxicishu > 3) Lianxicishu = 1;  // the file keeps its value
    } else {
        Lianxicishu = 1;
        // A read-only program folder: carry on with the count 1.
        writeBytesAtomic(homePath(QStringLiteral("config")), configBytes(1));
    }
    QDir().mkpath(homePath(QStringLiteral("练习进度")));

    dict_ = std::make_unique<CodeDictionary>();
    QString dictError;
    if (!dict_->open(dataPath(QStringLiteral("CiKu.mdb")), &dictError)) dictStartupError_ = dictError;

    UseHelp = 0;
    BmHelp = 0;
    BmHelpAll = 0;
    Jishu = 0;
}

void Form1::setCellColor(int k, const QColor& c) {
    QLabel* cell = lb[k - 1];
    QPalette p = cell->palette();
    if (p.color(QPalette::WindowText) == c) return;
    p.setColor(QPalette::WindowText, c);
    cell->setPalette(p);
}

QColor Form1::cellColor(int k) const { return lb[k - 1]->palette().color(QPalette::WindowText); }

void Form1::hideCodeLabels() {
    for (auto* group : {&lbbmci, &lbbmcizi, &lbbmzi})
        for (QLabel* l : *group) l->hide();
}

void Form1::showCodeLabels() {
    for (auto* group : {&lbbmci, &lbbmcizi, &lbbmzi})
        for (QLabel* l : *group) l->show();
}

void Form1::hideKeys() {
    for (Picture* k : keys) k->hide();
}

void Form1::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!background_.isNull())
        p.drawPixmap(0, 0, background_);
    else
        p.fillRect(rect(), Qt::white);
}

// ---- Button highlighting ----

void Form1::mouseMoveEvent(QMouseEvent* e) {
    // Only the window's bare surface hides the highlights; moves over labels change nothing.
    if (childAt(e->position().toPoint()) == nullptr) Form_MouseMove();
    QWidget::mouseMoveEvent(e);
}

void Form1::Form_MouseMove() {
    for (Picture* hi : {Image3, Image4, imgcmd11, imgcmd22, imgcmd33, imgcmd44}) hi->hide();
}
void Form1::Image1_MouseMove() { Image3->show(); }
void Form1::Image2_MouseMove() { Image4->show(); }
void Form1::imgcmd1_MouseMove() {
    imgcmd11->show();
    imgcmd22->hide();
    imgcmd33->hide();
    imgcmd44->hide();
}
void Form1::imgcmd2_MouseMove() {
    imgcmd22->show();
    imgcmd11->hide();
    imgcmd33->hide();
    imgcmd44->hide();
}
void Form1::imgcmd3_MouseMove() {
    imgcmd33->show();
    imgcmd11->hide();
    imgcmd22->hide();
    imgcmd44->hide();
}
void Form1::imgcmd4_MouseMove() {
    imgcmd44->show();
    imgcmd11->hide();
    imgcmd22->hide();
    imgcmd33->hide();
}

void Form1::imgcmd11_Click() { emit settingsRequested(); }
void Form1::imgcmd22_Click() { emit lookupRequested(); }
void Form1::imgcmd33_Click() { emit aboutRequested(); }
void Form1::imgcmd44_Click() { emit statisticsRequested(); }

void Form1::imgg_Click() { imgg->hide(); }

void Form1::imghelphide_Click() {
    if (Fname.isEmpty()) return;
    qint16 key = 112;  // acts exactly as F1
    txtInput_KeyDown(key, 0);
}

void Form1::closeEvent(QCloseEvent* e) {
    // Progress is written whenever a line is finished; the record keeps what is typed of the
    // line in hand.
    recordClosing();
    if (recorder_) recorder_->sync();
    emit closing();
    e->accept();
}

void Form1::resetFigures() {
    Timer1->stop();
    Times = 0;
    Types = 0;
    RightTypes = 0;
    lbtime->setText(QStringLiteral("0:00:00"));
    lbshudu->setText(QStringLiteral("0"));
    lbZql->setText(QStringLiteral("100%"));
    oldInput.clear();
}

}  // namespace ml
