#pragma once

#include "ProcessRunner.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

// One "srm" child that erases many files: it runs with one flag string and "--batch", takes the
// files on its standard input, each "<device> <inode> <names> <path>" ended by a NUL byte (what
// the worker examined: the tool erases that file or nothing), handles them strictly in that order
// and answers each with one line, "<n> ok" or "<n> fail <reason>". Folder syncs are left to the end of
// its input, so one child per run costs far less than one per file.
//
// A path counts as answered only by its own line in its turn. A line out of turn or one that says
// neither means the child cannot be trusted with the rest: it is stopped, and like any child that
// ends early it leaves its unanswered paths unanswered.
class EraserBatch : public QObject
{
    Q_OBJECT
public:
    struct Answer
    {
        bool ok = false;
        QString reason; // why it failed, as the tool put it
    };

    explicit EraserBatch(const QString &flag, QObject *parent = nullptr);
    ~EraserBatch() override;

    // Starts the tool; false when it cannot be started.
    bool start(const QString &program);
    QString flag() const { return m_flag; }

    // Hands one more file to the tool: its path, the identity it had when it was examined, and how
    // many of its names the run chose from here on; false when the tool cannot take it (it has
    // ended, or the text names no path).
    bool send(const QString &path, quint64 device, quint64 inode, quint64 names);
    // No more paths: the tool syncs what it changed and ends.
    void finish();
    // Stops the tool at once, within the file it is working on.
    void terminate();

    qsizetype sentCount() const { return m_sent; }
    qsizetype answeredCount() const { return qsizetype(m_answers.size()); }
    const Answer &answer(qsizetype index) const { return m_answers.at(size_t(index)); }
    bool hasEnded() const { return m_ended; }
    // How the ended tool ended: its exit status, 128 plus the signal that killed it, or -1 when
    // it never got going.
    int exitStatus() const { return m_exitStatus; }
    // Whether it is telling of a change right now (it must not be destroyed then).
    bool isDelivering() const { return m_delivering; }
    // For owners: destroys it now, or from the event loop when it is telling of a change.
    static void release(std::unique_ptr<EraserBatch> batch);

signals:
    // A path was answered, or the tool ended.
    void changed();

private:
    void takeLine(const QByteArray &line);
    void ended();
    void tell();

    QString m_flag;
    std::unique_ptr<ProcessRunner> m_runner;
    ProcessRunner::Retired m_retired;
    qsizetype m_sent = 0;
    std::vector<Answer> m_answers;
    bool m_ended = false;
    bool m_distrusted = false;
    int m_exitStatus = -1;
    bool m_delivering = false;
};
