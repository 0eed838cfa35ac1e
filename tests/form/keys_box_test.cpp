#include <QTest>
#include "formfixture.h"
namespace {
using namespace mltest;
class KeysProbe : public FormFixture {};
TEST_F(KeysProbe, Focus) {
    ml::Form1& f = build();
    f.show();
    f.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
    open(makePractice(u"a.txt"_s, {u"一二三"_s, u"四五"_s}));
    EXPECT_TRUE(f.txtInput->hasFocus());
    QInputMethodEvent pre(u"wq"_s, {});
    QApplication::sendEvent(f.txtInput, &pre);
    keyText(u"一"_s);
    std::cout << f.txtInput->text().toStdString() << " jishu " << f.Jishu << "\n";
    QTest::keyClick(f.txtInput, Qt::Key_Backspace);
    std::cout << f.txtInput->text().toStdString() << " jishu " << f.Jishu << "\n";
    QTest::keyClick(f.txtInput, Qt::Key_F10);
    std::cout << p.openRequests.size() << "\n";
}
}
