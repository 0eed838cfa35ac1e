#pragma once
// The summary at the end of each pass through a practice file: speed, accuracy and the characters
// missed most, with their codes. A small panel over the window's keyboard legend that never takes
// the focus from the input box; it goes by itself after a while, or with its close button.

#include <QWidget>

class QLabel;
class QTimer;

namespace ml {

class Form1;

class PassSummary : public QWidget {
    Q_OBJECT
public:
    explicit PassSummary(Form1& form);

    // Shows the pass that ended last.
    void showPass();

    QLabel* figures = nullptr;
    QLabel* missed = nullptr;

    // How long the panel stays.
    static constexpr int kShownMs = 60'000;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    Form1& form_;
    QTimer* hideTimer_ = nullptr;
};

}  // namespace ml
