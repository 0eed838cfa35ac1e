// Every test program runs inside a QApplication on the offscreen platform, so widget tests and
// pure tests share one main.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // No sound card is needed, and none is touched.
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    // Where the built program folder (dictionary, sounds, texts) and the sources lie.
    if (qEnvironmentVariableIsEmpty("ML_APP_DIR")) qputenv("ML_APP_DIR", ML_TEST_APP_DIR);
    if (qEnvironmentVariableIsEmpty("ML_SOURCE_DIR")) qputenv("ML_SOURCE_DIR", ML_TEST_SOURCE_DIR);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
