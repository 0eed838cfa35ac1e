#include "record/schema.h"

namespace ml::record {

const std::vector<Migration>& migrations() {
    static const std::vector<Migration> steps = {
        {1, R"sql(
-- One opening of a practice file (kind 0) or one code drill (kind 1), until the next opening or
-- the window closing. Times are UTC milliseconds since 1970; active_ms leaves out pauses of more
-- than 10 s between judged characters.
CREATE TABLE session(
  id INTEGER PRIMARY KEY,
  kind INTEGER NOT NULL DEFAULT 0,
  started_ms INTEGER NOT NULL,
  ended_ms INTEGER NOT NULL,
  path TEXT NOT NULL DEFAULT '',
  name TEXT NOT NULL DEFAULT '',
  remote INTEGER NOT NULL DEFAULT 0,
  lesson TEXT,
  judged INTEGER NOT NULL DEFAULT 0,
  right INTEGER NOT NULL DEFAULT 0,
  active_ms INTEGER NOT NULL DEFAULT 0,
  repeats INTEGER NOT NULL DEFAULT 1
);
CREATE INDEX session_started ON session(started_ms);

-- One judged character. ms: milliseconds since the previous judged character on a monotonic
-- clock, NULL for the first of a line (and for the later characters of a word committed at once).
-- target is '' for a character typed beyond the end of the line; code is the target's code as the
-- dictionary gives it, NULL when it has none.
CREATE TABLE judged(
  id INTEGER PRIMARY KEY,
  session INTEGER NOT NULL REFERENCES session(id),
  line INTEGER NOT NULL,
  pos INTEGER NOT NULL,
  target TEXT NOT NULL,
  typed TEXT NOT NULL,
  right INTEGER NOT NULL,
  ms INTEGER,
  hint_display INTEGER NOT NULL,
  code_hints INTEGER NOT NULL,
  code TEXT
);
-- Per-session reads (a pass, a session's characters) and the recent-sessions part of the
-- statistics scan.
CREATE INDEX judged_session ON judged(session);

-- One keystroke of a code drill: the letter typed against the letter expected. ms: since the
-- previous key of the item, NULL for the first.
CREATE TABLE keystroke(
  id INTEGER PRIMARY KEY,
  session INTEGER NOT NULL REFERENCES session(id),
  lesson TEXT,
  item TEXT NOT NULL,
  expected TEXT NOT NULL,
  typed TEXT NOT NULL,
  right INTEGER NOT NULL,
  ms INTEGER
);
CREATE INDEX keystroke_session ON keystroke(session);
)sql"},
        {2, R"sql(
-- The code drills' own figures. drill_item: each item of the course as practised so far (item is
-- 'r:' root, 'c:' character or 'w:' word, then the text); miss_rate and ms_per_key weigh recent
-- outcomes most; box is the Leitner box 0-5 and due_s when its review falls due (seconds since
-- 1970, as last_s). drill_lesson: each lesson's progress, bests and the learner's own goal (NULL:
-- the lesson list's). drill_setting: the drills' choices, such as short_first ('1' or '0').
CREATE TABLE drill_item(
  item TEXT PRIMARY KEY,
  lesson TEXT NOT NULL,
  seen INTEGER NOT NULL,
  missed INTEGER NOT NULL,
  miss_rate REAL NOT NULL,
  ms_per_key REAL NOT NULL,
  last_s INTEGER NOT NULL,
  box INTEGER NOT NULL,
  due_s INTEGER NOT NULL
);
CREATE TABLE drill_lesson(
  lesson TEXT PRIMARY KEY,
  passed INTEGER NOT NULL DEFAULT 0,
  rounds INTEGER NOT NULL DEFAULT 0,
  best_speed INTEGER NOT NULL DEFAULT 0,
  best_accuracy INTEGER NOT NULL DEFAULT 0,
  goal_accuracy INTEGER,
  goal_speed INTEGER
);
CREATE TABLE drill_setting(
  name TEXT PRIMARY KEY,
  value TEXT NOT NULL
);
)sql"},
    };
    return steps;
}

int schemaVersion() { return migrations().empty() ? 0 : migrations().back().version; }

}  // namespace ml::record
