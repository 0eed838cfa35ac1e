// The window's hooks into the learning record: which file it opened, what it judged, where rounds
// and passes end, and its closing. Everything here is cheap: the rows are handed to the
// recorder's own thread.
#include <algorithm>
#include <cmath>

#include "course/coach.h"
#include "course/store.h"
#include "form1.h"
#include "hints/dictionary.h"
#include "practice/rules.h"
#include "record/recorder.h"

namespace ml {

namespace {
qint32 msBetween(double from, double to) {
    return qint32(std::clamp<double>(std::round((to - from) * 1000.0), 0, 1 << 30));
}
}  // namespace

void Form1::startRecording() {
    // The writer looks codes up on its own thread, so it gets its own connection to the
    // dictionary, opened there on first use.
    struct Lookup {
        CodeDictionary dict;
        QString path;
        bool tried = false;
    };
    auto lookup = std::make_shared<Lookup>();
    lookup->path = dataPath(QStringLiteral("CiKu.mdb"));
    record::Recorder::Options options;
    options.codeOf = [lookup](QChar c) -> QString {
        if (!lookup->tried) {
            lookup->tried = true;
            lookup->dict.open(lookup->path);
        }
        const auto r = lookup->dict.search(QString(c));
        return r && r->outcome == CodeDictionary::Outcome::Hit ? r->email : QString();
    };
    recorder_ = std::make_unique<record::Recorder>(homePath(record::kFileName), std::move(options));
}

void Form1::stopRecording() {
    recordingStopped_ = true;
    // The drills write through the recorder: they go first, and start again without it.
    coach_.reset();
    drillStore_.reset();
    recorder_.reset();
}

void Form1::recordOpening() {
    pass_.reset();
    lastJudgedAt_ = 0;
    roundFresh_ = true;
    if (recordingStopped_) return;
    if (!recorder_) {
        startRecording();
        // Opening takes milliseconds: wait a little, so that a record that cannot be used is
        // told now rather than at the end of the first line.
        recorder_->waitReady(300);
    }
    recorder_->beginSession(practiceSession());
    recorder_->commit();
    tellRecordProblem();
}

record::SessionInfo Form1::practiceSession() const {
    record::SessionInfo s;
    s.path = Fname;
    s.name = fileNameOf(Fname);
    const qsizetype dot = s.name.lastIndexOf(u'.');
    if (dot > 0) s.name.truncate(dot);
    s.remote = isLianxi == QStringLiteral("F");
    s.repeats = Lianxicishu;
    return s;
}

void Form1::recordResume() {
    // Back from a drill: the file's practice goes on in a session of its own, its pass unbroken.
    lastJudgedAt_ = 0;
    roundFresh_ = true;
    if (!recorder_) return;
    recorder_->beginSession(practiceSession());
    recorder_->commit();
}

void Form1::recordJudged(qsizetype pos, QChar typed, bool right, bool firstOfChange, double now,
                         bool hintDisplay, bool codeHints) {
    record::CharRow r;
    r.line = JinduNow;
    r.pos = qint32(pos);
    r.target = pos <= Temp.size() ? Temp.at(pos - 1).unicode() : 0;
    r.typed = typed.unicode();
    r.right = right;
    const qint32 since = lastJudgedAt_ > 0 ? msBetween(lastJudgedAt_, now) : -1;
    if (firstOfChange) {
        r.ms = roundFresh_ ? -1 : since;
        r.gapMs = since;
    } else {
        // The later characters of a word committed at once took no time of their own.
        r.gapMs = 0;
    }
    r.hintDisplay = hintDisplay;
    r.codeHints = codeHints;
    pass_.add(r.target, right, r.gapMs);
    lastJudgedAt_ = now;
    roundFresh_ = false;
    if (recorder_) recorder_->add(r);
}

void Form1::recordRoundStart() {
    roundFresh_ = true;
    if (!recorder_) return;
    recorder_->commit();
    tellRecordProblem();
}

void Form1::recordPassEnd() {
    const bool typed = pass_.judged() > 0;
    if (typed) lastPass_ = pass_;
    pass_.reset();
    if (typed) emit passCompleted();
}

void Form1::recordClosing() {
    lastJudgedAt_ = 0;
    if (!recorder_) return;
    recorder_->endSession();
    recorder_->commit();
}

void Form1::tellRecordProblem() {
    const QString message = recorder_ ? recorder_->takeMessage() : QString();
    if (!message.isEmpty()) platform_.messageBox(this, message, MsgIcon::Exclamation, MsgButtons::Ok);
}

}  // namespace ml
