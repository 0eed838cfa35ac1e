#include "course/schedule.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace ml::course {

namespace {

constexpr qint64 kDay = 24 * 60 * 60;
// Days until the next review, by the box an item has just moved into (1–5).
constexpr int kBoxDays[kTopBox] = {1, 2, 4, 8, 16};

double slowness(double msPerKey, double targetMs) {
    if (targetMs <= 0 || msPerKey <= targetMs) return 0;
    return std::min(2.0, msPerKey / targetMs - 1.0);
}

}  // namespace

double targetMsPerKey(const Goal& goal) { return goal.speed > 0 ? 60000.0 / goal.speed : 0; }

void recordOutcome(ItemStats& s, const ItemOutcome& outcome, const QString& lesson,
                   double targetMs, qint64 now) {
    const double m = outcome.missed ? 1.0 : 0.0;
    if (s.seen == 0) {
        s.missRate = m;
        s.msPerKey = outcome.msPerKey;
    } else {
        s.missRate += kRecent * (m - s.missRate);
        s.msPerKey += kRecent * (outcome.msPerKey - s.msPerKey);
    }
    s.key = outcome.key;
    s.lesson = lesson;
    ++s.seen;
    if (outcome.missed) ++s.missed;
    s.last = now;
    if (outcome.missed) {
        s.box = 0;
        s.due = now;
    } else if (targetMs > 0 && outcome.msPerKey > 2 * targetMs) {
        s.due = now + kDay;
    } else {
        s.box = std::min(s.box + 1, kTopBox);
        s.due = now + kBoxDays[s.box - 1] * kDay;
    }
}

double weakness(const ItemStats& s, double targetMs, qint64 now) {
    double w = 0.1 + 3.0 * s.missRate + slowness(s.msPerKey, targetMs);
    if (s.due <= now) w += 0.5;
    return w;
}

QList<int> chooseRound(const QList<Item>& items, const QHash<QString, ItemStats>& stats, int size,
                       double targetMs, qint64 now, quint64 seed) {
    const int n = int(items.size());
    size = std::clamp(size, 0, n);
    std::vector<int> unseen;
    std::vector<std::pair<double, int>> seen;  // (sampling key, index)
    unseen.reserve(n);
    seen.reserve(n);
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> uniform(std::nextafter(0.0, 1.0), 1.0);
    for (int i = 0; i < n; ++i) {
        auto it = stats.constFind(items[i].key());
        if (it == stats.constEnd() || it->seen == 0) {
            unseen.push_back(i);
        } else {
            // Weighted sampling without replacement: the largest u^(1/w) win (Efraimidis and
            // Spirakis), taken as log(u)/w to stay in range.
            seen.emplace_back(std::log(uniform(rng)) / weakness(*it, targetMs, now), i);
        }
    }
    QList<int> out;
    if (seen.empty()) {
        for (int i = 0; i < size; ++i) out << i;
        return out;
    }
    int fresh = std::min<int>(int(unseen.size()), size / 2);
    fresh = std::max(fresh, std::min<int>(int(unseen.size()), size - int(seen.size())));
    const int drawn = std::min<int>(size - fresh, int(seen.size()));
    std::partial_sort(seen.begin(), seen.begin() + drawn, seen.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });

    // New items spread evenly among the drawn ones, so a round does not end in a block of the
    // unknown.
    QList<int> order;
    const int total = fresh + drawn;
    int f = 0, d = 0;
    for (int k = 0; k < total; ++k) {
        const bool takeFresh =
            f < fresh && (d >= drawn || (long long)(f + 1) * total <= (long long)(k + 1) * fresh);
        order << (takeFresh ? unseen[f++] : seen[d++].second);
    }

    // Look-alike roots side by side: each group comes in whole right after its first member.
    QHash<QString, QList<int>> groups;
    for (int i = 0; i < n; ++i)
        if (!items[i].group.isEmpty()) groups[items[i].group] << i;
    if (groups.isEmpty()) return order;
    QList<bool> taken(n, false);
    for (int i : order) {
        if (taken[i]) continue;
        QList<int> run{i};
        if (!items[i].group.isEmpty())
            for (int j : groups.value(items[i].group))
                if (j != i && !taken[j]) run << j;
        if (!out.isEmpty() && out.size() + run.size() > size) {
            if (run.size() > 1) continue;  // no half groups at the end; a single item may fit
            if (out.size() >= size) break;
        }
        for (int j : run) {
            taken[j] = true;
            out << j;
        }
        if (out.size() >= size) break;
    }
    return out;
}

QList<ItemStats> reviewQueue(const QList<ItemStats>& all, qint64 now) {
    QList<ItemStats> q;
    for (const ItemStats& s : all)
        if (s.seen > 0) q << s;
    std::stable_sort(q.begin(), q.end(), [now](const ItemStats& a, const ItemStats& b) {
        const bool ad = a.due <= now, bd = b.due <= now;
        if (ad != bd) return ad;
        if (a.due != b.due) return a.due < b.due;
        return a.box < b.box;
    });
    return q;
}

QList<ItemStats> weakestItems(const QList<ItemStats>& all, int limit) {
    // Across lessons the goal speeds differ; a key that takes over a second and a half is slow
    // at any stage of the course.
    constexpr double kSlowMs = 1500;
    QList<std::pair<double, ItemStats>> scored;
    for (const ItemStats& s : all) {
        if (s.seen == 0) continue;
        const double score = 3.0 * s.missRate + slowness(s.msPerKey, kSlowMs);
        if (s.missed > 0 || score > 0) scored.append({score + 0.01 * s.missed, s});
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<ItemStats> out;
    for (int i = 0; i < scored.size() && i < limit; ++i) out << scored[i].second;
    return out;
}

QList<LessonState> lessonStates(const QList<Lesson>& lessons,
                                const QHash<QString, LessonProgress>& progress) {
    QList<LessonState> out;
    bool previousPassed = true;
    for (const Lesson& l : lessons) {
        if (l.fromRecord()) {
            out << LessonState::Open;
            continue;
        }
        const bool passed = progress.value(l.id).passed;
        out << (passed ? LessonState::Passed
                       : previousPassed ? LessonState::Open : LessonState::Locked);
        previousPassed = passed;
    }
    return out;
}

bool meetsGoal(const RoundFigures& figures, const Goal& goal) {
    return figures.complete && figures.accuracy >= goal.accuracy && figures.speed >= goal.speed;
}

}  // namespace ml::course
