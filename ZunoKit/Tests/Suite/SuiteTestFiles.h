#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

#include <ostream>

// Texts in failure messages as text, not as bytes.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// Writes a file of the test's, with its folders; `executable` gives it the owner's execute bit.
inline void writeFile(const QString &path, const QByteArray &content, bool executable = false)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(content), content.size());
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    ASSERT_TRUE(QFile::setPermissions(path, permissions));
}

// A small shell-script tool.
inline void writeTool(const QString &path, const QByteArray &script)
{
    writeFile(path, "#!/bin/sh\n" + script + "\n", true);
}

// Whether a process runs: it exists and is no zombie (a reparented one may be left unreaped).
inline bool processRuns(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() && line.at(close + 2) != 'Z' && line.at(close + 2) != 'X';
}
