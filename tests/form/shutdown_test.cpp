// The application ends when its last window is closed. The dialogs are windows of their own: the
// lookup or the settings dialog still open keeps the tutor running after the main window and the
// About dialog it shows on closing are gone. Run in the real event loop, where Qt decides to quit.
#include <QPointer>
#include <QTimer>

#include "dialogs/findit.h"
#include "dialogs/frmabout.h"
#include "dialogs/readandset.h"
#include "formfixture.h"

namespace {

using namespace mltest;

class Shutdown : public FormFixture {};

TEST_F(Shutdown, OpenDialogKeepsTheTutorRunningUntilItCloses) {
    for (bool lookup : {true, false}) {
        SCOPED_TRACE(lookup ? "lookup dialog" : "settings dialog");
        form.reset();
        ml::Form1& f = build();
        f.show();
        if (lookup)
            f.imgcmd22_Click();
        else
            f.imgcmd11_Click();
        QPointer<QWidget> dialog = lookup ? static_cast<QWidget*>(dialogs().lookup())
                                          : static_cast<QWidget*>(dialogs().settings());
        ASSERT_TRUE(dialog && dialog->isVisible());

        bool aboutShown = false;
        bool stillRunning = false;
        // Timers of this round only: none may fire in a later round's loop.
        QTimer closeMain, closeDialog, giveUp;
        for (QTimer* t : {&closeMain, &closeDialog, &giveUp}) t->setSingleShot(true);
        QObject::connect(&closeMain, &QTimer::timeout, [&] {
            f.close();  // shows the About dialog
            ml::frmAbout* about = dialogs().about();
            aboutShown = about && about->isVisible();
            if (about) about->close();
            closeDialog.start(300);
        });
        QObject::connect(&closeDialog, &QTimer::timeout, [&] {
            stillRunning = dialog && dialog->isVisible();
            if (dialog) dialog->close();
        });
        QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        closeMain.start(0);
        giveUp.start(20000);
        const int rc = QCoreApplication::exec();
        EXPECT_TRUE(aboutShown);
        EXPECT_TRUE(stillRunning) << "the tutor ended with a dialog on screen";
        EXPECT_EQ(rc, 0) << "closing the last window must end the tutor";
    }
}

}  // namespace
