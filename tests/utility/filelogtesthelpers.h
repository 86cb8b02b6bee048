#pragma once

// Helpers shared by the logging tests.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <string>
#include <unistd.h>

// Collects what the process prints on standard output while it lives.
class StdoutCapture
{
public:
    StdoutCapture()
    {
        std::fflush(stdout);
        m_file = std::tmpfile();
        m_saved = dup(STDOUT_FILENO);
        dup2(fileno(m_file), STDOUT_FILENO);
    }
    ~StdoutCapture()
    {
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
        std::fclose(m_file);
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::string text()
    {
        std::fflush(stdout);
        std::string result;
        std::rewind(m_file);
        char buffer[4096];
        size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, m_file)) > 0)
            result.append(buffer, count);
        return result;
    }

private:
    std::FILE* m_file = nullptr;
    int m_saved = -1;
};

// Log files below a folder (recursively), relative paths sorted.
inline QStringList logFilesBelow(const QString& folder)
{
    QStringList files;
    const QDir root(folder);
    const QStringList entries = root.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        const QString path = root.filePath(entry);
        if (QFileInfo(path).isDir()) {
            for (const QString& inner : logFilesBelow(path))
                files << entry + "/" + inner;
        } else if (entry.endsWith(".log")) {
            files << entry;
        }
    }
    return files;
}

inline QByteArray readWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// Records of a log file: each ends in CR LF, which is kept.
inline QList<QByteArray> recordsOf(const QByteArray& bytes)
{
    QList<QByteArray> records;
    int start = 0;
    while (start < bytes.size()) {
        int end = bytes.indexOf("\r\n", start);
        if (end < 0) {
            records << bytes.mid(start);
            break;
        }
        records << bytes.mid(start, end + 2 - start);
        start = end + 2;
    }
    return records;
}
