#pragma once

// Helpers shared by the logging tests.

#include <QtCore>

#include <cstdio>
#include <unistd.h>

// Collects what the process prints on standard output while it lives.
class StdoutCapture
{
public:
    StdoutCapture() : m_file(std::tmpfile()), m_saved(dup(STDOUT_FILENO))
    {
        std::fflush(stdout);
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

    QByteArray text()
    {
        std::fflush(stdout);
        QFile file;
        file.open(fileno(m_file), QIODevice::ReadOnly);
        file.seek(0);
        return file.read(1 << 24);
    }

private:
    std::FILE* m_file;
    int m_saved;
};

// Log files below a folder (recursively), relative paths sorted.
inline QStringList logFilesBelow(const QString& folder)
{
    QStringList files;
    const QString root = QDir(folder).absolutePath();
    for (QDirIterator it(root, {"*.log"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next().mid(root.size() + 1);
    files.sort();
    return files;
}

inline QByteArray readWhole(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Records of a log file: each ends in CR LF, which is kept.
inline QList<QByteArray> recordsOf(QByteArray bytes)
{
    QList<QByteArray> records = bytes.replace("\r\n", "\r\n\x01").split('\x01');
    records.removeAll(QByteArray());
    return records;
}
