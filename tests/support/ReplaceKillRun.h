#pragma once
// Kills a replacement of a database file at random moments, many times, and
// judges what each kill left at the target: the old database or the whole new
// one (set up, sound, and opened by the program's own open procedure) is
// right; anything else is a fault. The replacement runs in the replacechild
// program: a new database made as the database wizard makes it, or the open
// database saved under another name as the File menu does.
//
// Runs inside a program context (the caller's TestEnvironment); the program
// folder must hold the template data.mdb.

#include <QString>
#include <QStringList>

class ReplaceKillRun {
public:
    enum class Operation { NewDatabase, SaveAs };

    struct Outcome {
        int runs = 0;
        int killed = 0;     // killed before the replacement said it was done
        int keptOld = 0;    // the target was as it had been (the old database, or none)
        int gotNew = 0;     // the target was the whole new database
        QStringList faults; // one line per run that left a broken, mixed or lost target
        quint32 seed = 0;
        QString summary() const;
    };

    // workFolder holds the target, the fixtures and the child's settings.
    ReplaceKillRun(Operation operation, bool oldTargetExists, const QString& programFolder, const QString& workFolder);

    // The operation once unhindered, to learn how long it takes, then `runs`
    // times killed after a random delay within that time.
    Outcome run(int runs, quint32 seed = 0);

private:
    bool makeFixtures(QString* error);
    void resetTarget();
    // Starts the child and kills it delayUs microseconds after it is ready
    // (never when delayUs < 0); the time from ready to done, in microseconds.
    qint64 once(qint64 delayUs, bool* killed, QString* error);
    // What the target is now: "" when sound (and *isNew tells which), else the fault.
    QString judge(bool* isNew, bool* absent);

    Operation m_operation;
    bool m_oldExists;
    QString m_programFolder;
    QString m_work;
    QString m_target;
    QString m_old;
    QString m_source;
    QString m_description;
    int m_sourceSales = 0;
};
