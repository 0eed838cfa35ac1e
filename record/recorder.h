#pragma once
// The record's writer. The window hands over rows as they happen; they wait in memory and a thread
// of the recorder's own writes them, one transaction at a time: when asked (a line ended, a file
// opened, the window closing) and at the latest `commitIntervalMs` after the first row waiting.
// Handing a row over takes a lock and an append, nothing more, so the keystroke path does not feel
// the disk; a crash or kill loses at most what was typed since the last commit.
//
// The file is opened on that thread too, so a large record does not slow the window's start. If it
// cannot be used (not a record, newer, locked, read-only, damaged beyond repair) the recorder says
// why once (takeMessage) and from then on drops what it is given: practice goes on unrecorded.

#include <QString>
#include <functional>
#include <memory>

#include "record/record.h"

struct sqlite3;

namespace ml::record {

class Recorder {
public:
    // The code of a character as the dictionary gives it, "" for none. Called on the writer
    // thread, so it must not share a connection with the window.
    using CodeLookup = std::function<QString(QChar)>;
    // Extra writes of a caller (a drill's lesson progress, say), run on the writer thread inside the
    // next transaction, in order with the rows. A job that returns false is undone alone.
    using Job = std::function<bool(sqlite3*)>;

    struct Options {
        CodeLookup codeOf;
        int commitIntervalMs = 5000;
    };

    enum class State { Opening, On, Off };

    explicit Recorder(const QString& path);
    Recorder(const QString& path, Options options);
    // Writes what is still waiting, then closes.
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    QString path() const;
    State state() const;
    // Waits until the file is open or known to be unusable; false on timeout.
    bool waitReady(int timeoutMs) const;
    // A message for the learner about the record, each only once; "" when there is none.
    QString takeMessage();

    // Starts a session, ending the one before. Sessions with nothing recorded leave no row.
    void beginSession(const SessionInfo& info);
    void endSession();
    void add(const CharRow& row);
    void addKey(const KeyRow& row);
    void post(Job job);

    // Asks for a commit of everything handed over so far, without waiting.
    void commit();
    // Commits and waits; true when everything handed over is in the file.
    bool sync(int timeoutMs = 3000);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace ml::record
