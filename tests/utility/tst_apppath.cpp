#include <QtTest>

#include <cstdio>
#include <filesystem>

#include "apppath.h"

namespace {

// Set in a copy of this program that only reports what it sees.
const char* const reportVariable = "KORRELO_APPPATH_REPORT";

int functionInProgram() { return 1; }

QString currentFolder() { return QString::fromStdString(std::filesystem::current_path().string()); }

} // namespace

class TestAppPath : public QObject
{
    Q_OBJECT

private slots:
    void moduleFolder_data();
    void moduleFolder();
    void programCopyElsewhere();
    void setCurrentPath_data();
    void setCurrentPath();
    void fileEncoding_data();
    void fileEncoding();
};

void TestAppPath::moduleFolder_data()
{
    QTest::addColumn<quintptr>("address");
    QTest::addColumn<QString>("fileInFolder");
    QTest::newRow("the program") << quintptr(0) << QCoreApplication::applicationFilePath();
    QTest::newRow("a function of the program") << reinterpret_cast<quintptr>(&functionInProgram)
                                               << QCoreApplication::applicationFilePath();
    QTest::newRow("a function of the library") << reinterpret_cast<quintptr>(&GetFileEncoding)
                                               << QString("libutility.so");
}

void TestAppPath::moduleFolder()
{
    QFETCH(quintptr, address);
    QFETCH(QString, fileInFolder);
    const QString folder = QString::fromStdString(GetAppPath(reinterpret_cast<const void*>(address)));
    QVERIFY2(folder.startsWith('/') && folder.endsWith('/'), qPrintable(folder));
    QVERIFY2(QFile::exists(folder + QFileInfo(fileInFolder).fileName()), qPrintable(folder));
    QCOMPARE(folder == QCoreApplication::applicationDirPath() + '/', fileInFolder.startsWith('/'));
}

void TestAppPath::programCopyElsewhere()
{
    // A copy with dots in its name: only the last extension goes, and the folder is the copy's.
    QTemporaryDir dir;
    const QString copy = dir.filePath("p.v2.run");
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QProcess process;
    qputenv(reportVariable, "1");
    process.start(copy, QStringList());
    qunsetenv(reportVariable);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines[0], QString("p.v2"));
    QCOMPARE(lines[1], QDir(dir.path()).canonicalPath() + '/');
}

void TestAppPath::setCurrentPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("expectedFolder");   // empty: the current folder stays
    QTest::newRow("empty means the program's folder") << "" << true << QCoreApplication::applicationDirPath();
    QTest::newRow("existing folder") << QDir::tempPath() << true << QDir(QDir::tempPath()).canonicalPath();
    QTest::newRow("missing folder") << "/nonexistent/korrelo" << false << "";
    QTest::newRow("a file") << QCoreApplication::applicationFilePath() << false << "";
}

void TestAppPath::setCurrentPath()
{
    QFETCH(QString, path);
    QFETCH(bool, accepted);
    QFETCH(QString, expectedFolder);
    const QString before = currentFolder();
    QCOMPARE(SetCurrentPath(path.toStdString()), accepted);
    const QString after = currentFolder();
    std::filesystem::current_path(before.toStdString());
    QCOMPARE(after, expectedFolder.isEmpty() ? before : expectedFolder);
}

void TestAppPath::fileEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::newRow("UTF-16 little-endian") << QByteArray("\xFF\xFE\x41", 3) << int(ENCODING_UTF16_LE);
    QTest::newRow("UTF-32 little-endian reads as UTF-16") << QByteArray("\xFF\xFE\x00\x00", 4) << int(ENCODING_UTF16_LE);
    QTest::newRow("UTF-16 big-endian") << QByteArray("\xFE\xFF\x00", 3) << int(ENCODING_UTF16_BE);
    QTest::newRow("UTF-8") << QByteArray("\xEF\xBB\xBF", 3) << int(ENCODING_UTF8);
    QTest::newRow("UTF-8 mark cut short") << QByteArray("\xEF\xBB\x00", 3) << int(ENCODING_NONE);
    QTest::newRow("plain text") << QByteArray("abc") << int(ENCODING_NONE);
    QTest::newRow("empty") << QByteArray("") << int(ENCODING_NONE);
}

void TestAppPath::fileEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    // An exact-size copy, so reading past the mark or the terminating NUL is caught by the sanitizer.
    std::vector<char> buffer(bytes.begin(), bytes.end());
    buffer.push_back('\0');
    QCOMPARE(int(GetFileEncoding(buffer.data())), encoding);
    QCOMPARE(int(GetFileEncoding(nullptr)), int(ENCODING_NONE));
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(reportVariable)) {
        std::printf("%s\n%s\n", GetAppName().c_str(), GetAppPath(nullptr).c_str());
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestAppPath test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_apppath.moc"
