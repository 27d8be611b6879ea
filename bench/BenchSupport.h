#pragma once
// What the benchmarks share: a message service that answers every prompt
// the same way and keeps its text, the median of several runs, and a demo
// database made from the built template.

#include "platform/MessageService.h"
#include "platform/db/Connection.h"
#include "tools/DemoData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace bench {

class QuietMessages : public MessageService {
public:
    explicit QuietMessages(int answer) : m_answer(answer) {}
    QStringList seen;
    int MsgBox(const QString& prompt, int, const QString&) override
    {
        seen << prompt.left(200);
        return m_answer;
    }
    bool InputBox(const QString&, const QString&, const QString&, QString*) override { return false; }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QColor ChooseColor(const QColor&, const QString&) override { return {}; }

private:
    int m_answer;
};

inline double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A copy of the template database at path, filled with demo data; false
// (and why, on out) when it could not be made.
inline bool CreateDemoDatabase(const QString& path, const DemoDataOptions& options, QTextStream& out)
{
    const QString templ = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../bin/data.mdb"));
    if (!QFile::copy(templ, path)) {
        out << "cannot copy " << templ << "\n";
        return false;
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    Connection c;
    QString error;
    if (!c.Open(path) || !DemoData::Fill(c, options, &error)) {
        out << "cannot fill: " << error << "\n";
        return false;
    }
    return true;
}

}  // namespace bench
