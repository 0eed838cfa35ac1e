#include "form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "art/art.h"
#include "art/artlib.h"
#include "course/coach.h"
#include "course/store.h"
#include "hints/dictionary.h"
#include "practice/drillmode.h"
#include "practice/prefetch.h"
#include "practice/rules.h"
#include "practice/texts.h"
#include "record/recorder.h"

namespace ml {

using namespace Qt::StringLiterals;

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

void Picture::decode() {
    if (!loader_) return;
    const QPixmap pm = loader_();
    loader_ = nullptr;
    if (!pm.isNull()) setPixmap(pm);
}

QPixmap Picture::picture() {
    decode();
    return pixmap();
}

void Picture::covers(std::initializer_list<Picture*> behind) {
    covered_.assign(behind);
    for (Picture* p : covered_) p->underCover_ = true;
}

void Picture::setVisible(bool visible) {
    if (visible) {
        if (!underCover_) decode();
    } else {
        for (Picture* p : covered_) {
            p->underCover_ = false;
            p->decode();
        }
    }
    QLabel::setVisible(visible);
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
    // What shows at start is decoded now; the rest when it first comes into sight.
    const QString data = folder_.data;
    auto pic = [&data](const QString& file) { return Art::picture(data, file); };
    auto later = [&data](const QString& file) {
        return [data, file] { return Art::picture(data, file); };
    };
    // The background is the one large picture on show: it is decoded on a worker thread while
    // the elements are built, and taken over at the first paint.
    backgroundLoad_ = std::async(std::launch::async, [data, dpr = qGuiApp->devicePixelRatio()] {
        return Art::image(data, QStringLiteral("background.png"), dpr);
    });

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
    txtInput->installEventFilter(this);

    const QFont figureFont = songFont(12);
    lbtime = makeLabel(this, "lbtime", QRect(184, 360, 120, 20), figureFont, QStringLiteral("0:00:00"));
    lbshudu = makeLabel(this, "lbshudu", QRect(360, 360, 120, 20), figureFont, QStringLiteral("0"));
    lbZql = makeLabel(this, "lbZql", QRect(592, 360, 120, 20), figureFont, QStringLiteral("100%"));
    lbfilename = makeLabel(this, "lbfilename", QRect(72, 32, 449, 13), songFont(9),
                           text::kNoFileCaption);

    // Toolbar: the normal picture lies behind its highlighted twin.
    Image1 = makePicture(this, QStringLiteral("Image1"), QRect(736, 29, 86, 23), pic(u"open.png"_s));
    Image3 = makePicture(this, QStringLiteral("Image3"), QRect(736, 29, 86, 23), {});
    Image2 = makePicture(this, QStringLiteral("Image2"), QRect(840, 29, 86, 23), pic(u"remote.png"_s));
    Image4 = makePicture(this, QStringLiteral("Image4"), QRect(840, 29, 86, 23), {});
    imgcmd1 = makePicture(this, QStringLiteral("imgcmd1"), QRect(756, 347, 44, 40), pic(u"cmd1.png"_s));
    imgcmd11 = makePicture(this, QStringLiteral("imgcmd11"), QRect(756, 347, 44, 40), {});
    imgcmd2 = makePicture(this, QStringLiteral("imgcmd2"), QRect(812, 347, 44, 40), pic(u"cmd2.png"_s));
    imgcmd22 = makePicture(this, QStringLiteral("imgcmd22"), QRect(812, 347, 44, 40), {});
    imgcmd3 = makePicture(this, QStringLiteral("imgcmd3"), QRect(869, 347, 44, 40), pic(u"cmd3.png"_s));
    imgcmd33 = makePicture(this, QStringLiteral("imgcmd33"), QRect(869, 347, 44, 40), {});
    Image3->setPixmapLoader(later(u"open_hi.png"_s));
    Image4->setPixmapLoader(later(u"remote_hi.png"_s));
    imgcmd11->setPixmapLoader(later(u"cmd1_hi.png"_s));
    imgcmd22->setPixmapLoader(later(u"cmd2_hi.png"_s));
    imgcmd33->setPixmapLoader(later(u"cmd3_hi.png"_s));
    // Beside the About button, as far right as the figures card leaves room for.
    imgcmd4 = makePicture(this, QStringLiteral("imgcmd4"), QRect(914, 347, 44, 40), pic(u"cmd4.png"_s));
    imgcmd44 = makePicture(this, QStringLiteral("imgcmd44"), QRect(914, 347, 44, 40), {});
    imgcmd44->setPixmapLoader(later(u"cmd4_hi.png"_s));
    Image5 = makePicture(this, QStringLiteral("Image5"), QRect(632, 29, 86, 23), pic(u"course.png"_s));
    Image6 = makePicture(this, QStringLiteral("Image6"), QRect(632, 29, 86, 23), {});
    Image6->setPixmapLoader(later(u"course_hi.png"_s));
    Image5->setMouseTracking(true);
    connect(Image5, &Picture::mouseMoved, this, [this] { Image5_MouseMove(); });
    connect(Image6, &Picture::clicked, this, [this] { Image6_Click(); });
    Image6->setToolTip(QStringLiteral("五笔课程：从字根到词组的编码练习，不用输入法"));
    for (Picture* hi : {Image3, Image4, Image6, imgcmd11, imgcmd22, imgcmd33, imgcmd44}) hi->hide();
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
    img_ci = makePicture(this, QStringLiteral("img_ci"), QRect(334, 93, 217, 52), {}, true);
    img_ci->setPixmapLoader(later(u"white_ci.png"_s));
    img_ci2 = makePicture(this, QStringLiteral("img_ci2"), QRect(360, 93, 219, 54), {}, true);
    imgbai = makePicture(this, QStringLiteral("imgbai"), QRect(472, 93, 173, 56), {}, true);
    imgbai->setPixmapLoader(later(u"white_bai.png"_s));
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
    imghidehelp = makePicture(this, QStringLiteral("imghidehelp"), QRect(80, 87, 855, 73), {});
    imghidehelp->setPixmapLoader(later(u"hidehelp.png"_s));
    imghelphide = makePicture(this, QStringLiteral("imghelphide"), QRect(80, 87, 855, 73),
                              pic(u"helphide.png"_s));
    // The legend covers the whole hint area, the white cover all but the legend.
    imghelphide->covers({imghidehelp, img_ci, imgbai});
    imghidehelp->covers({img_ci, imgbai});
    connect(imghelphide, &Picture::clicked, this, [this] { imghelphide_Click(); });

    // Key pictures over the cells of the root chart.
    for (int i = 0; i < 25; ++i) {
        const char key = char('a' + i);
        keys[i] = makePicture(this, QString(QLatin1Char(key)),
                              QRect(art::keyPicturePos(key), QSize(29, 29)), {});
        keys[i]->setPixmapLoader(later(QStringLiteral("key_%1.png").arg(QLatin1Char(key))));
        keys[i]->hide();
    }

    // The root-zone charts lie outside the client area.
    const char* chartNames[5] = {"imgg", "imgh", "imgt", "imgy", "imgn"};
    Picture** charts[5] = {&imgg, &imgh, &imgt, &imgy, &imgn};
    for (int i = 0; i < 5; ++i) {
        *charts[i] = makePicture(this, QLatin1String(chartNames[i]), QRect(-2000, 300, 800, 293), {});
        (*charts[i])->setPixmapLoader(later(QStringLiteral("chart%1.png").arg(i + 1)));
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
    // A cell's palette holds its three colours in three roles, and the cell draws with one of
    // them: switching the role repaints it without the palette change that setPalette resolves
    // and propagates, which cost a keystroke more than all the rest of judging it.
    constexpr QPalette::ColorRole kUntyped = QPalette::WindowText, kRight = QPalette::Link,
                                  kWrong = QPalette::BrightText, kOther = QPalette::ToolTipText;
    QLabel* cell = lb[k - 1];
    const QPalette& now = cell->palette();
    if (now.color(kUntyped) != kWhite || now.color(kRight) != rightColor() ||
        now.color(kWrong) != kRed) {
        QPalette p = now;
        p.setColor(kUntyped, kWhite);
        p.setColor(kRight, rightColor());
        p.setColor(kWrong, kRed);
        cell->setPalette(p);
    }
    QPalette::ColorRole role = c == kWhite ? kUntyped
                               : c == rightColor() ? kRight
                               : c == kRed         ? kWrong
                                                   : kOther;
    if (role == kOther && cell->palette().color(kOther) != c) {
        QPalette p = cell->palette();
        p.setColor(kOther, c);
        cell->setPalette(p);
        cell->update();
    }
    if (cell->foregroundRole() == role) return;
    cell->setForegroundRole(role);
    cell->update();
}

QColor Form1::cellColor(int k) const {
    const QLabel* cell = lb[k - 1];
    return cell->palette().color(cell->foregroundRole());
}

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
    if (backgroundLoad_.valid()) background_ = QPixmap::fromImage(backgroundLoad_.get());
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
    for (Picture* hi : {Image3, Image4, Image6, imgcmd11, imgcmd22, imgcmd33, imgcmd44}) hi->hide();
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

bool Form1::eventFilter(QObject* watched, QEvent* e) {
    if (watched != txtInput) return QWidget::eventFilter(watched, e);
    QString added;
    if (e->type() == QEvent::InputMethod) {
        added = static_cast<QInputMethodEvent*>(e)->commitString();
    } else if (e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        const bool plain =
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        bool printable = !k->text().isEmpty();
        for (QChar c : k->text()) printable = printable && c.isPrint();
        if (plain && printable) added = k->text();
    }
    // The box holds at most a line's length and cuts the rest of a commit off; a word committed
    // across the end of the line would lose its tail.
    const qsizetype room =
        txtInput->maxLength() - (txtInput->text().size() - txtInput->selectedText().size());
    if (added.size() <= room) return false;
    const QString carry = added.mid(std::max<qsizetype>(room, 0));
    const quint64 before = rounds_;
    static_cast<QObject*>(txtInput)->event(e);  // the box takes what fits; the checker judges it
    if (rounds_ != before) carryOver(carry);
    return true;
}

void Form1::carryOver(QString rest) {
    while (!rest.isEmpty() && txtInput->isEnabled()) {
        const qsizetype room = txtInput->maxLength() - txtInput->text().size();
        if (room <= 0) return;
        const quint64 before = rounds_;
        txtInput->insert(rest.left(room));
        rest = rest.mid(room);
        if (rounds_ == before) return;
    }
}

void Form1::closeEvent(QCloseEvent* e) {
    // Progress is written whenever a line is finished; the record keeps what is typed of the
    // line in hand, and the drills' keys go out with it.
    recordClosing();
    if (drillStore_) drillStore_->flush();
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
