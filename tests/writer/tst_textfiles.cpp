#include <QDir>
#include <QHash>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>
#include <QTextFragment>
#include <QTranslator>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

#include "editorfixture.h"

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Saves although nothing changed since the last save.
bool saveAgain(TextEditEx& editor)
{
    editor.setModified(true);
    return editor.saveFile(QString());
}

// A file of the test's own, open in an editor.
struct OpenedFile
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    TextEditEx editor;

    // False when the file could not be written or opened.
    bool open(const QByteArray& bytes) { return writeBytes(path, bytes) && editor.openFile(path); }
    // What the file holds, read as UTF-8.
    QString text() const { return QString::fromUtf8(readBytes(path)); }
};

QByteArray encoded(const char* codec, const QString& text)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return QTextCodec::codecForName(codec)->fromUnicode(text.constData(), text.size(), &state);
}

// Lowers the largest file size this process may write, for the life of the object.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

// Random mixes of everything the editor shows as a line break or a space, the same on every run.
QStringList mixedEnds()
{
    const QString pieces[] = {"字", "\r\n", "\r", "\n", "\u00A0", "\u2028", "\u2029", "\uFDD0", "\uFDD1"};
    QRandomGenerator random(6122);
    QStringList files;
    for (int row = 0; row < 40; ++row) {
        QString file;
        for (int i = random.bounded(1, 10); i > 0; --i)
            file += pieces[random.bounded(int(std::size(pieces)))];
        files << file;
    }
    return files;
}

const QRegularExpression& paragraphBreaks()
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|[\r\n\u2029\uFDD0\uFDD1]"));
    return breaks;
}

// "D" Delete, "B" Backspace, "d" Ctrl+Delete, "X" Ctrl+X, "V" Ctrl+V, "\n" Return, other text typed.
void typeKeys(TextEditEx& editor, const QString& keys)
{
    const QHash<QChar, QPair<int, int>> named = {
        {'D', {Qt::Key_Delete, Qt::NoModifier}},      {'B', {Qt::Key_Backspace, Qt::NoModifier}},
        {'d', {Qt::Key_Delete, Qt::ControlModifier}}, {'X', {Qt::Key_X, Qt::ControlModifier}},
        {'V', {Qt::Key_V, Qt::ControlModifier}},      {'\n', {Qt::Key_Return, Qt::NoModifier}},
    };
    for (const QChar key : keys) {
        if (named.contains(key))
            QTest::keyClick(&editor, Qt::Key(named[key].first), Qt::KeyboardModifiers(named[key].second));
        else
            QTest::sendKeyEvent(QTest::Click, &editor, Qt::Key_unknown, QString(key), Qt::NoModifier);
    }
}

} // namespace

class TestTextFiles : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void newLinesTakeTheFileLineEnd_data();
    void newLinesTakeTheFileLineEnd();
    void joinedLinesKeepTheirEnd_data();
    void joinedLinesKeepTheirEnd();
    void savedFilesOpenAgain_data();
    void savedFilesOpenAgain();
    void htmlShownFormattedAndSavedPlain();
    void unmodifiedSaveWritesNothing();
    void cancelledDialogs();
    void saveAsGoesThroughTheDialog();
    void failedSaveKeepsEverything_data();
    void failedSaveKeepsEverything();
    void failedOpenChangesNothing_data();
    void failedOpenChangesNothing();
    void savePrompt_data();
    void savePrompt();
    void newDocumentsAreUtf8WithMark();
    void chineseTexts();
};

void TestTextFiles::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("codec");

    const QString chinese = QStringLiteral("你好，世界\n第二行");
    QTest::newRow("UTF-16LE with mark") << "a.txt" << QByteArray("\xFF\xFE", 2) + encoded("UTF-16LE", chinese)
                                        << chinese << 1 << QByteArray("UTF-16LE");
    QTest::newRow("UTF-16BE with mark") << "a.txt" << QByteArray("\xFE\xFF", 2) + encoded("UTF-16BE", chinese)
                                        << chinese << 2 << QByteArray("UTF-16BE");
    QTest::newRow("UTF-8 with mark") << "a.txt" << QByteArray("\xEF\xBB\xBF") + chinese.toUtf8() << chinese << 3
                                     << QByteArray("UTF-8");
    QTest::newRow("UTF-8 without mark") << "a.txt" << chinese.toUtf8() << chinese << 0 << QByteArray("UTF-8");
    QTest::newRow("GBK 你好") << "a.txt" << encoded("GBK", QStringLiteral("你好")) << QStringLiteral("你好") << 0
                            << QByteArray("GB18030");
    const QString longAscii = QString(1200, QLatin1Char('a')) + QStringLiteral("\n中文在后");
    QTest::newRow("GB18030 after 1200 ASCII bytes") << "a.txt" << encoded("GB18030", longAscii) << longAscii << 0
                                                    << QByteArray("GB18030");
    const QString lessGreater = QStringLiteral("a < b 和 c > d\n<b>x</b>");
    QTest::newRow("txt that looks like markup") << "a.txt" << lessGreater.toUtf8() << lessGreater << 0
                                                << QByteArray("UTF-8");
    QTest::newRow("empty file") << "a.txt" << QByteArray() << QString() << 0 << QByteArray("UTF-8");
    const QString lines = QStringLiteral("第一行\n第二行\n");
    QTest::newRow("GB18030 CR LF") << "a.txt" << encoded("GB18030", QStringLiteral("第一行\r\n第二行\r\n")) << lines
                                   << 0 << QByteArray("GB18030");
    QTest::newRow("UTF-8 CR") << "a.txt" << QStringLiteral("第一行\r第二行\r").toUtf8() << lines << 0
                              << QByteArray("UTF-8");
    QTest::newRow("no-break space") << "a.txt" << QStringLiteral("一\u00A0二 三").toUtf8()
                                    << QStringLiteral("一 二 三") << 0 << QByteArray("UTF-8");
    QTest::newRow("line separator") << "a.txt" << encoded("GB18030", QStringLiteral("一\u2028二\n三"))
                                    << QStringLiteral("一\n二\n三") << 0 << QByteArray("GB18030");
    const QString ordinary = QStringLiteral("这本书很好看，我已经看了三遍了。明天我们去公园散步吧。");
    QTest::newRow("GBK ordinary text") << "a.txt" << encoded("GBK", ordinary) << ordinary << 0
                                       << QByteArray("GB18030");
    const QString beyondGbk = ordinary + QStringLiteral("\U00020BB7€");
    QTest::newRow("GB18030 ordinary text") << "a.txt" << encoded("GB18030", beyondGbk) << beyondGbk << 0
                                           << QByteArray("GB18030");

    const QStringList mixes = mixedEnds();
    for (int row = 0; row < mixes.size(); ++row) {
        const QString& file = mixes.at(row);
        const QString shown = QString(file)
                                  .replace(paragraphBreaks(), QStringLiteral("\n"))
                                  .replace(QChar::LineSeparator, QLatin1Char('\n'))
                                  .replace(QChar::Nbsp, QLatin1Char(' '));
        QTest::addRow("mixed ends %d", row) << "a.txt" << file.toUtf8() << shown << 0 << QByteArray("UTF-8");
    }

    // Markup in a file not named as HTML is text like any other.
    const QString notes = QStringLiteral("<p align=\"center\">标题</p>\n\n第一段。\n第二段。\n");
    QTest::newRow("tags in a .md file") << "notes.md" << notes.toUtf8() << notes << 0 << QByteArray("UTF-8");
    QTest::newRow("tags in a file without suffix") << "README" << encoded("GB18030", notes) << notes << 0
                                                  << QByteArray("GB18030");
    const QString page = QStringLiteral("<html><body><b>粗</b>\r\n</body></html>");
    QTest::newRow("a whole page named .xml") << "page.xml" << page.toUtf8() << QString(page).remove(QLatin1Char('\r'))
                                            << 0 << QByteArray("UTF-8");

    // Short Chinese texts the charset detector takes for another language.
    const QString tripod = QStringLiteral("鼎鼎鼎鼎鼎") + QString(29, QLatin1Char('k'));
    QTest::newRow("GB18030 one hanzi and ASCII") << "a.txt" << encoded("GB18030", tripod) << tripod << 0
                                                 << QByteArray("GB18030");
    QTest::newRow("GB18030 with mark") << "a.txt" << QByteArray("\x84\x31\x95\x33") + encoded("GB18030", chinese)
                                       << chinese << 4 << QByteArray("GB18030");
    const QString walk = QStringLiteral("散步鼎今天。咖啡file");
    QTest::newRow("GB18030 twenty bytes") << "a.txt" << encoded("GB18030", walk) << walk << 0
                                          << QByteArray("GB18030");
}

void TestTextFiles::newLinesTakeTheFileLineEnd_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("modifiers");   // of the Return typed at the end of the first line
    QTest::addColumn<QString>("saved");
    QTest::newRow("mostly CR LF") << "a\r\nb\nc\r\n" << int(Qt::NoModifier) << "a\r\nx\r\nb\nc\r\n";
    QTest::newRow("line break in a CR LF file") << "a\r\nb" << int(Qt::ShiftModifier) << "a\r\nx\r\nb";
    QTest::newRow("line break in a file of line separators") << "a\u2028b" << int(Qt::ShiftModifier)
                                                             << "a\u2028x\u2028b";
}

void TestTextFiles::newLinesTakeTheFileLineEnd()
{
    QFETCH(QString, file);
    QFETCH(int, modifiers);
    QFETCH(QString, saved);
    OpenedFile opened;
    QVERIFY(opened.open(file.toUtf8()));
    TextEditEx& editor = opened.editor;
    fixture::placeCursor(editor, 1);
    QTest::keyClick(&editor, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
    QTest::keyClicks(&editor, QStringLiteral("x"));
    QVERIFY(editor.saveFile(QString()));
    QCOMPARE(opened.text(), saved);
}

void TestTextFiles::joinedLinesKeepTheirEnd_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("anchor");   // -1: no selection
    QTest::addColumn<QString>("keys");   // as typeKeys reads them
    QTest::addColumn<QString>("saved");

    const QString mixed = QStringLiteral("甲\r\n乙\n丙\r\n丁");
    QTest::newRow("Delete at the end of a line") << mixed << 3 << -1 << "D" << "甲\r\n乙丙\r\n丁";
    QTest::newRow("Backspace at the start of a line") << mixed << 2 << -1 << "B" << "甲乙\n丙\r\n丁";
    QTest::newRow("Ctrl+Delete at the end of a line") << mixed << 3 << -1 << "d" << "甲\r\n乙丙\r\n丁";
    QTest::newRow("a selection over two ends deleted") << mixed << 1 << 4 << "D" << "甲丙\r\n丁";
    QTest::newRow("a selection over an end typed over") << mixed << 3 << 5 << "x" << "甲\r\n乙x\r\n丁";
    QTest::newRow("a selection from a line start") << mixed << 2 << 5 << "B" << "甲\r\n\r\n丁";
    const QString empty = QStringLiteral("甲\r\n\n丙\r\n丁");
    QTest::newRow("Delete on an empty line") << empty << 2 << -1 << "D" << "甲\r\n丙\r\n丁";
    QTest::newRow("Backspace on an empty line") << empty << 2 << -1 << "B" << "甲\n丙\r\n丁";
    QTest::newRow("joined into the last line") << mixed << 5 << -1 << "D" << "甲\r\n乙\n丙丁";
    QTest::newRow("a selection over an end cut") << mixed << 5 << 3 << "X" << "甲\r\n乙\r\n丁";
    QTest::newRow("cut, then pasted back") << mixed << 5 << 3 << "XV" << "甲\r\n乙\r\n丙\r\n丁";
    QTest::newRow("joined, then split by Return") << mixed << 3 << -1 << "D\n" << "甲\r\n乙\r\n丙\r\n丁";

    // Each random mix with one of its breaks taken away: the rest of the file stays as it was.
    const QStringList mixes = mixedEnds();
    for (int row = 0; row < mixes.size(); ++row) {
        const QString& file = mixes.at(row);
        QList<QRegularExpressionMatch> breaks;
        for (QRegularExpressionMatchIterator it = paragraphBreaks().globalMatch(file); it.hasNext();)
            breaks << it.next();
        if (breaks.isEmpty())
            continue;
        const QRegularExpressionMatch gone = breaks.at(row % breaks.size());
        const int position = gone.capturedStart() - int(file.left(gone.capturedStart()).count(QStringLiteral("\r\n")));
        const QString saved = QString(file).remove(gone.capturedStart(), gone.capturedLength());
        if (row % 2)
            QTest::addRow("mixed ends %d, Delete", row) << file << position << -1 << "D" << saved;
        else
            QTest::addRow("mixed ends %d, Backspace", row) << file << position + 1 << -1 << "B" << saved;
    }
}

// The joined file is saved, opens again as saved, and Undo gives back the file as it was.
void TestTextFiles::joinedLinesKeepTheirEnd()
{
    QFETCH(QString, file);
    QFETCH(int, position);
    QFETCH(int, anchor);
    QFETCH(QString, keys);
    QFETCH(QString, saved);
    OpenedFile opened;
    QVERIFY(opened.open(file.toUtf8()));
    TextEditEx& editor = opened.editor;
    fixture::placeCursor(editor, position, anchor);
    typeKeys(editor, keys);
    QVERIFY(editor.saveFile(QString()));
    QCOMPARE(opened.text(), saved);

    TextEditEx again;
    QVERIFY(again.openFile(opened.path));
    QCOMPARE(again.toPlainText(), editor.toPlainText());
    QVERIFY(saveAgain(again));
    QCOMPARE(opened.text(), saved);

    // One Undo for each key, however the line end was kept.
    for (int step = 0; step < keys.size(); ++step)
        editor.undo();
    QVERIFY(saveAgain(editor));
    QCOMPARE(opened.text(), file);
    editor.redo();
    QVERIFY(saveAgain(editor));
    if (keys.size() == 1)
        QCOMPARE(opened.text(), saved);
}

void TestTextFiles::savedFilesOpenAgain_data()
{
    QTest::addColumn<QString>("file");   // in GB18030
    QTest::addColumn<QString>("typed");   // at the start, as typeKeys reads it
    QTest::addColumn<QString>("saved");
    QTest::addColumn<bool>("marked");   // saved after the GB18030 mark
    const QString tripod = QStringLiteral("鼎鼎鼎鼎鼎") + QString(29, QLatin1Char('k'));
    QTest::newRow("one hanzi and ASCII, a line typed before") << tripod << "改\n" << "改\n" + tripod << false;
    QTest::newRow("twenty bytes, one character typed") << "散步鼎今天。咖啡file" << "我"
                                                       << "我散步鼎今天。咖啡file" << false;
    // 隆 in GB18030 is C2 A1, which is also ¡ in UTF-8.
    QTest::newRow("bytes that are UTF-8 as well") << "你" << "隆D" << "隆" << true;
    // Kana are in the same places in GB18030 and EUC-JP; 気 and 園 are not.
    const QString kana = QStringLiteral("きょうはいいてんきですね。こうえんにいきましょう。");
    QTest::newRow("kana written into a Chinese file") << "中" << kana + "D" << kana << true;
    const QString japanese = QStringLiteral("今日はいい天気です。公園に行きましょう。");
    QTest::newRow("Japanese with hanzi only GB18030 has") << "中" << japanese + "D" << japanese << false;
}

// A file saved in GB18030 opens again as the same text, and a Save without an edit keeps its bytes.
void TestTextFiles::savedFilesOpenAgain()
{
    QFETCH(QString, file);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QFETCH(bool, marked);
    OpenedFile opened;
    TextEditEx& editor = opened.editor;
    fixture::EditorDialogs dialogs;
    dialogs.install(editor);
    QVERIFY(opened.open(encoded("GB18030", file)));
    fixture::placeCursor(editor, 0);
    typeKeys(editor, typed);
    QCOMPARE(editor.toPlainText(), saved);
    QVERIFY(editor.saveFile(QString()));
    const QByteArray bytes = (marked ? QByteArray("\x84\x31\x95\x33") : QByteArray()) + encoded("GB18030", saved);
    QCOMPARE(readBytes(opened.path), bytes);

    TextEditEx again;
    dialogs.install(again);
    QVERIFY(again.openFile(opened.path));
    QCOMPARE(again.toPlainText(), saved);
    QCOMPARE(again.fileCodec()->name(), QByteArray("GB18030"));
    QVERIFY(saveAgain(again));
    QCOMPARE(readBytes(opened.path), bytes);
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestTextFiles::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QFETCH(QByteArray, codec);

    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(writeBytes(path, bytes));
    TextEditEx editor;
    fixture::EditorDialogs dialogs;
    dialogs.install(editor);

    QVERIFY(editor.openFile(path));
    QCOMPARE(editor.toPlainText(), text);
    QCOMPARE(editor.fileEncoding(), encoding);
    QCOMPARE(editor.fileCodec()->name(), codec);
    QCOMPARE(editor.filePath(), path);
    QVERIFY(!editor.isModified());

    QVERIFY(saveAgain(editor));
    QCOMPARE(readBytes(path), bytes);
    QVERIFY(!editor.isModified());
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestTextFiles::htmlShownFormattedAndSavedPlain()
{
    QTemporaryDir dir;
    const QString html = dir.filePath(QStringLiteral("page.html"));
    QVERIFY(writeBytes(html, QStringLiteral("<p><b>粗</b>体</p>").toUtf8()));
    TextEditEx editor;
    QVERIFY(editor.openFile(html));
    QCOMPARE(editor.toPlainText(), QStringLiteral("粗体"));
    const QTextFragment first = editor.document()->begin().begin().fragment();
    QCOMPARE(first.text(), QStringLiteral("粗"));
    QCOMPARE(first.charFormat().fontWeight(), int(QFont::Bold));

    const QString plain = dir.filePath(QStringLiteral("page.txt"));
    QVERIFY(editor.saveFile(plain));
    QCOMPARE(readBytes(plain), QStringLiteral("粗体").toUtf8());
    QCOMPARE(editor.filePath(), plain);

    const QString again = dir.filePath(QStringLiteral("again.htm"));
    QVERIFY(editor.saveFile(again));
    QVERIFY(readBytes(again).contains("font-weight:600"));
}

void TestTextFiles::unmodifiedSaveWritesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QVERIFY(writeBytes(path, "first"));
    TextEditEx editor;
    QVERIFY(editor.openFile(path));
    QVERIFY(writeBytes(path, "changed elsewhere"));
    QVERIFY(editor.saveFile(path));
    QCOMPARE(readBytes(path), QByteArray("changed elsewhere"));
}

void TestTextFiles::cancelledDialogs()
{
    TextEditEx editor;
    fixture::EditorDialogs dialogs;
    dialogs.install(editor);
    editor.setPlainText(QStringLiteral("文字"));
    editor.setModified(true);

    QVERIFY(!editor.saveFile(QString()));
    QVERIFY(editor.filePath().isEmpty());
    QVERIFY(editor.isModified());
    QVERIFY(!editor.getSaveFileName());
    QCOMPARE(dialogs.captions, (QStringList{"Save as", "Save as"}));
    QVERIFY(dialogs.boxes.isEmpty());

    editor.setModified(false);
    QVERIFY(!editor.openFile(QString()));
    QCOMPARE(dialogs.captions.last(), QStringLiteral("Open File"));
    QCOMPARE(editor.toPlainText(), QStringLiteral("文字"));
}

void TestTextFiles::saveAsGoesThroughTheDialog()
{
    QTemporaryDir dir;
    TextEditEx editor;
    fixture::EditorDialogs dialogs;
    dialogs.install(editor);
    dialogs.chosenPath = dir.filePath(QStringLiteral("new.txt"));
    editor.setPlainText(QStringLiteral("新的"));
    QVERIFY(editor.saveFile(QString()));
    QCOMPARE(editor.filePath(), dialogs.chosenPath);
    QCOMPARE(readBytes(dialogs.chosenPath), QByteArray("\xEF\xBB\xBF") + QStringLiteral("新的").toUtf8());
}

void TestTextFiles::failedSaveKeepsEverything_data()
{
    QTest::addColumn<QString>("target");   // relative to the folder; "" = the open file itself
    QTest::addColumn<bool>("limitSize");
    QTest::addColumn<QString>("reason");   // as the system says it
    const QString tooLarge = QString::fromLocal8Bit(std::strerror(EFBIG));
    QTest::newRow("path under a regular file") << "a.txt/b.txt" << false << QString();
    QTest::newRow("write cut by the file size limit") << "" << true << tooLarge;
    QTest::newRow("save as cut by the file size limit") << "other.txt" << true << tooLarge;
}

void TestTextFiles::failedSaveKeepsEverything()
{
    QFETCH(QString, target);
    QFETCH(bool, limitSize);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    const QByteArray original = encoded("GB18030", QStringLiteral("原来的文字"));
    QVERIFY(writeBytes(path, original));
    TextEditEx editor;
    fixture::EditorDialogs dialogs;
    dialogs.install(editor);
    QVERIFY(editor.openFile(path));
    editor.setPlainText(QString(5000, QChar(0x5B57)));
    editor.setModified(true);

    const QString targetPath = target.isEmpty() ? QString() : dir.filePath(target);
    bool saved = true;
    {
        std::unique_ptr<FileSizeLimit> limit;
        if (limitSize)
            limit = std::make_unique<FileSizeLimit>(64);
        saved = editor.saveFile(targetPath);
    }
    QVERIFY(!saved);
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes.at(0).icon, QMessageBox::Warning);
    QVERIFY(dialogs.boxes.at(0).text.startsWith(QStringLiteral("Could not save file")));
    QVERIFY2(dialogs.boxes.at(0).text.endsWith(reason), qPrintable(dialogs.boxes.at(0).text));
    QCOMPARE(readBytes(path), original);
    QVERIFY(editor.isModified());
    QCOMPARE(editor.filePath(), path);
    if (!target.isEmpty() && !target.contains(QLatin1Char('/')))
        QVERIFY(!QFile::exists(targetPath));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.txt"});
}

void TestTextFiles::failedOpenChangesNothing_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("bytes");   // written to the target first when not empty
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << "missing.txt" << QByteArray() << QString();
    QTest::newRow("a folder") << "folder" << QByteArray() << QString();
    QTest::newRow("path under a file") << "a.txt/b.txt" << QByteArray() << QString();
    const QString notText = QStringLiteral("The file is not text in UTF-8, UTF-16 or GB18030");
    QTest::newRow("Latin-1 bytes") << "latin.txt" << QByteArray("caf\xE9 \xFF\x80 na\xEFve") << notText;
    QTest::newRow("UTF-16LE cut in a character") << "odd.txt" << QByteArray("\xFF\xFE\x60\x4F\x7D", 5) << notText;
    QTest::newRow("UTF-8 mark before broken bytes") << "broken.txt" << QByteArray("\xEF\xBB\xBF\xE4\xBD") << notText;
    const QString other = QStringLiteral("The file seems to be text in %1, not in UTF-8, UTF-16 or GB18030");
    QTest::newRow("Big5") << "big5.txt" << encoded("Big5", QStringLiteral("我們今天去公園散步，天氣很好。"))
                          << other.arg("BIG5");
    QTest::newRow("EUC-KR") << "korean.txt" << encoded("EUC-KR", QStringLiteral("오늘은 날씨가 좋습니다. 우리는 공원에 갑니다."))
                            << other.arg("UHC");
    QTest::newRow("Shift-JIS") << "japanese.txt" << encoded("Shift-JIS", QStringLiteral("今日はいい天気です。公園に行きましょう。"))
                               << other.arg("SHIFT_JIS");
}

void TestTextFiles::failedOpenChangesNothing()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    if (!bytes.isEmpty())
        QVERIFY(writeBytes(dir.filePath(target), bytes));
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    const QByteArray original = encoded("GB18030", QStringLiteral("你好"));
    QVERIFY(writeBytes(path, original));
    TextEditEx editor;
    fixture::EditorDialogs dialogs;
    dialogs.install(editor);
    QVERIFY(editor.openFile(path));

    QVERIFY(!editor.openFile(dir.filePath(target)));
    QCOMPARE(dialogs.boxes.size(), 1);
    QVERIFY(dialogs.boxes.at(0).text.startsWith(QStringLiteral("Could not open file")));
    QVERIFY2(dialogs.boxes.at(0).text.endsWith(reason), qPrintable(dialogs.boxes.at(0).text));
    QCOMPARE(editor.toPlainText(), QStringLiteral("你好"));
    QCOMPARE(editor.filePath(), path);
    QCOMPARE(editor.fileCodec()->name(), QByteArray("GB18030"));

    // The next save still writes the legacy encoding the file came in.
    QVERIFY(saveAgain(editor));
    QCOMPARE(readBytes(path), original);
}

void TestTextFiles::savePrompt_data()
{
    QTest::addColumn<bool>("typed");   // false: the program put the text in
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("goOn");
    QTest::newRow("typed, Discard") << true << int(QMessageBox::Discard) << true << true;
    QTest::newRow("typed, Cancel") << true << int(QMessageBox::Cancel) << true << false;
    QTest::newRow("typed, Escape") << true << int(QMessageBox::Escape) << true << false;
    QTest::newRow("typed, closed") << true << int(QMessageBox::NoButton) << true << false;
    QTest::newRow("typed, Save with a cancelled dialog") << true << int(QMessageBox::Save) << true << false;
    QTest::newRow("put in by the program") << false << int(QMessageBox::Cancel) << false << true;
}

void TestTextFiles::savePrompt()
{
    QFETCH(bool, typed);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, goOn);
    TextEditEx editor;
    fixture::EditorDialogs dialogs;
    dialogs.install(editor);
    dialogs.answer = QMessageBox::StandardButton(answer);
    editor.setText(QStringLiteral("从别处来的文字"));
    if (typed) {
        QVERIFY(fixture::focusEditor(editor));
        QTest::keyClicks(&editor, QStringLiteral("abc"));
    }
    QCOMPARE(editor.maybeSave(), goOn);
    QCOMPARE(dialogs.boxes.size(), asked ? 1 : 0);
    if (asked)
        QCOMPARE(dialogs.boxes.at(0).buttons,
                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    // A refused prompt also stops a new document from replacing the text.
    if (!goOn) {
        QVERIFY(!editor.newPlainText());
        QVERIFY(editor.toPlainText().contains(QStringLiteral("abc")));
    }
}

void TestTextFiles::newDocumentsAreUtf8WithMark()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("legacy.txt"));
    QVERIFY(writeBytes(path, encoded("GB18030", QStringLiteral("旧文件"))));
    TextEditEx editor;
    fixture::EditorDialogs dialogs;
    dialogs.install(editor);
    QVERIFY(editor.openFile(path));
    QVERIFY(editor.newRichText());
    QVERIFY(editor.filePath().isEmpty());
    QVERIFY(editor.acceptRichText());
    QVERIFY(editor.newPlainText());
    QVERIFY(!editor.acceptRichText());
    editor.setPlainText(QStringLiteral("新"));
    dialogs.chosenPath = dir.filePath(QStringLiteral("fresh.txt"));
    QVERIFY(editor.saveFile(QString()));
    QCOMPARE(readBytes(dialogs.chosenPath), QByteArray("\xEF\xBB\xBF") + QStringLiteral("新").toUtf8());
}

void TestTextFiles::chineseTexts()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/translations/proofkit_zh_CN.qm")));
    QApplication::installTranslator(&translator);
    const QStringList filters = TextEditEx::fileDialogFilters();
    TextEditEx editor;
    fixture::EditorDialogs dialogs;
    dialogs.install(editor);
    const bool opened = editor.openFile(QStringLiteral("/nonexistent/x.txt"));
    QApplication::removeTranslator(&translator);

    QCOMPARE(filters, (QStringList{QStringLiteral("文本文件 (*.txt)"), QStringLiteral("网页文件（保留格式） (*.html *.htm)"),
                                   QStringLiteral("所有文件 (*)")}));
    QVERIFY(!opened);
    QCOMPARE(dialogs.boxes.size(), 1);
    QVERIFY(dialogs.boxes.at(0).text.startsWith(QStringLiteral("无法打开文件 /nonexistent/x.txt。\n错误：")));
}

QTEST_MAIN(TestTextFiles)
#include "tst_textfiles.moc"
