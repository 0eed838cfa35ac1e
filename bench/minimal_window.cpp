// The least a Qt Widgets program can do: one empty window. The start-up benchmark compares the
// tutor's time to a mapped window and its memory against this.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bench-minimal-window"));
    window.resize(1018, 736);
    window.show();
    return app.exec();
}
