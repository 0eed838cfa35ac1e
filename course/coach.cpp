#include "course/coach.h"

namespace ml::course {

namespace {
// How many of the weakest items "我的错字" keeps in view.
constexpr int kWeakestKept = 60;
}  // namespace

Coach::Coach(QString folder, DrillStore& store, ItemChecks checks)
    : folder_(std::move(folder)), store_(store), checks_(std::move(checks)) {}

Course& Coach::course() {
    if (!course_) {
        course_ = loadCourse(folder_);
        problems_ << course_->problems;
    }
    return *course_;
}

QStringList Coach::takeProblems() {
    QStringList out;
    out.swap(problems_);
    out.removeDuplicates();
    return out;
}

const QHash<QString, ItemStats>& Coach::stats() {
    if (!stats_) stats_ = store_.itemStats();
    return *stats_;
}

QList<LessonState> Coach::states() {
    if (!progress_) progress_ = store_.progress();
    return lessonStates(course().lessons, *progress_);
}

LessonProgress Coach::progressOf(const QString& lesson) {
    if (!progress_) progress_ = store_.progress();
    return progress_->value(lesson);
}

Goal Coach::goalOf(const Lesson& lesson) {
    const auto own = progressOf(lesson.id).goal;
    return own ? *own : lesson.goal;
}

void Coach::setGoal(const QString& id, const Goal& goal) {
    LessonProgress p = progressOf(id);
    const Lesson* l = course().find(id);
    // The list's own goal is kept as no goal of the learner's, so a new list can change it.
    p.goal = l && l->goal == goal ? std::nullopt : std::optional<Goal>(goal);
    progress_->insert(id, p);
    store_.saveProgress(id, p);
}

Lesson* Coach::lesson(const QString& id) {
    Lesson* l = course().find(id);
    if (!l) {
        problems_ << QStringLiteral("没有名为 %1 的课程").arg(id);
        return nullptr;
    }
    if (!l->fromRecord() && !l->loaded && !loadItems(*l, folder_, checks_, &problems_))
        return nullptr;
    return l;
}

QString Coach::keysFor(const Item& item, const Lesson& lesson) {
    return answerKeys(item, lesson.answer, shortFirst());
}

std::optional<Target> Coach::targetFromRecord(const ItemStats& s) {
    const auto parsed = parseItemKey(s.key);
    if (!parsed) return std::nullopt;
    Lesson* origin = course().find(s.lesson);
    if (!origin || origin->fromRecord()) return std::nullopt;
    if (!origin->loaded) {
        QStringList quiet;  // told when that lesson itself is opened
        if (!loadItems(*origin, folder_, checks_, &quiet)) return std::nullopt;
    }
    for (const Item& it : origin->items)
        if (it.kind == parsed->first && it.text == parsed->second)
            return Target{it, keysFor(it, *origin)};
    return std::nullopt;
}

std::optional<Round> Coach::nextRound(const QString& id, qint64 nowMs, qint64 now,
                                      quint64 seed) {
    Lesson* l = lesson(id);
    if (!l) return std::nullopt;
    QList<Target> targets;
    if (l->fromRecord()) {
        const QList<ItemStats> all = stats().values();
        const QList<ItemStats> queue =
            l->source == u"review" ? reviewQueue(all, now) : weakestItems(all, kWeakestKept);
        for (const ItemStats& s : queue) {
            if (targets.size() >= l->roundSize) break;
            if (auto t = targetFromRecord(s)) targets << *t;
        }
        if (targets.isEmpty()) {
            problems_ << (l->source == u"review"
                              ? QStringLiteral("还没有要复习的字：先练几课，练过的字词会按时回来复习。")
                              : QStringLiteral("还没有打错或打得慢的字：先练几课再来。"));
            return std::nullopt;
        }
    } else {
        const QList<int> chosen = chooseRound(l->items, stats(), l->roundSize,
                                              targetMsPerKey(goalOf(*l)), now, seed);
        for (int i : chosen) targets << Target{l->items[i], keysFor(l->items[i], *l)};
    }
    return Round(l->id, targets, nowMs);
}

void Coach::itemDone(const Round& round, const ItemOutcome& outcome, qint64 now) {
    stats();
    ItemStats s = stats_->value(outcome.key);
    // An item of the review keeps the lesson it came from, and is judged by that lesson's goal.
    QString from = round.lesson();
    const Lesson* l = course().find(from);
    if (l && l->fromRecord() && !s.lesson.isEmpty()) from = s.lesson;
    const Lesson* origin = course().find(from);
    const double target = origin ? targetMsPerKey(goalOf(*origin)) : 0;
    recordOutcome(s, outcome, from, target, now);
    stats_->insert(s.key, s);
    store_.saveItemStats({s});
}

RoundReport Coach::roundDone(const Round& round) {
    RoundReport r;
    const Lesson* l = course().find(round.lesson());
    r.goal = l ? goalOf(*l) : Goal{};
    r.figures.complete = round.done();
    r.figures.accuracy = accuracyPercent(round.rightKeys(), round.keys());
    r.figures.speed = codesPerMinute(round.rightKeys(), round.elapsedMs());
    r.passed = meetsGoal(r.figures, r.goal);

    LessonProgress p = progressOf(round.lesson());
    const QList<LessonState> before = states();
    if (r.figures.complete) {
        ++p.rounds;
        p.bestSpeed = std::max(p.bestSpeed, r.figures.speed);
        p.bestAccuracy = std::max(p.bestAccuracy, r.figures.accuracy);
        if (r.passed && l && !l->fromRecord()) {
            r.firstPass = !p.passed;
            p.passed = true;
        }
        progress_->insert(round.lesson(), p);
        store_.saveProgress(round.lesson(), p);
    }
    r.progress = p;
    if (r.firstPass) {
        const QList<LessonState> after = states();
        const QList<Lesson>& ls = course().lessons;
        for (int i = 0; i < ls.size() && i < before.size(); ++i)
            if (ls[i].id != round.lesson() && before[i] == LessonState::Locked &&
                after[i] != LessonState::Locked) {
                r.opened = ls[i].title;
                break;
            }
    }
    store_.flush();
    return r;
}

const CodeFacts& Coach::facts() {
    if (!facts_) facts_ = CodeFacts::load(folder_, &problems_);
    return *facts_;
}

}  // namespace ml::course
