#pragma once
// The lesson picker "课程": the lessons of the Wubi 86 course under their stages, each with its
// state (locked, open, passed) and its bests; the goal of the chosen lesson, which the learner may
// change; the "简码优先" choice; and the ways into a lesson and back to text practice.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace ml {

class Form1;

class LessonPicker : public QDialog {
    Q_OBJECT
public:
    explicit LessonPicker(Form1& main, QWidget* parent = nullptr);

    QTreeWidget* lessons = nullptr;    // "lstkecheng"
    QLabel* lbgoal = nullptr;          // what the chosen lesson asks
    QSpinBox* txtaccuracy = nullptr;   // its goal: accuracy, per cent
    QSpinBox* txtspeed = nullptr;      // and speed, codes a minute
    QCheckBox* chkjianma = nullptr;    // "简码优先"
    QPushButton* cmdstart = nullptr;   // "开始练习"
    QPushButton* cmdback = nullptr;    // "回到文字练习"
    QPushButton* cmdclose = nullptr;   // "关闭"

    // Fills the list from the course and the record; keeps the chosen lesson chosen.
    void refresh();
    // The lesson chosen in the list, or "".
    QString chosen() const;
    void choose(const QString& lesson);
    // Starts the chosen lesson (not a locked one) and closes; false when nothing started.
    bool start();
    void back();

private:
    void chosenChanged();
    void goalEdited();

    Form1& main_;
    bool filling_ = false;
};

}  // namespace ml
