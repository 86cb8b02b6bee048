// A word processor's document on the real desktop, its text spread over one object per paragraph:
// LibreOffice Writer (GTK 3) followed through the UI Automation tracker with the button and the
// command set of the tray program. One Writer runs for all cases, since it takes seconds to start.
#include <QAction>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <optional>

#include "actions.h"
#include "atspi/atspiquery.h"
#include "atspi/busref.h"
#include "busshell.h"
#include "dialogfloat.h"
#include "dialogwriter.h"
#include "texteditex.h"

using atspi_detail::AtspiDesktop;
using atspi_detail::BusRef;
using buscommands::run;

namespace {

// Several paragraphs with errors, an empty one and a table of two cells.
const char* const flatDocument = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text"><office:body><office:text>
<text:p>他门在会议上讨论了计划，大家都很高性。</text:p><text:p/>
<table:table><table:table-column table:number-columns-repeated="2"/><table:table-row>
<table:table-cell><text:p>表格里的错字</text:p></table:table-cell><table:table-cell><text:p>第二格有个再见面</text:p></table:table-cell>
</table:table-row></table:table>
<text:p>第三段 has some English and 一个错别子😀。</text:p><text:p>最后一段再次出现了的错字。</text:p>
</office:text></office:body></office:document>
)";
// Its text as a plain-text copy gives it: one line per paragraph, table cells included.
const QStringList pageLines{QStringLiteral("他门在会议上讨论了计划，大家都很高性。"), QString(), QStringLiteral("表格里的错字"),
                            QStringLiteral("第二格有个再见面"), QStringLiteral("第三段 has some English and 一个错别子😀。"),
                            QStringLiteral("最后一段再次出现了的错字。")};

QString classOf(HWND hwnd)
{
    WCHAR name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return QString::fromUtf16(name);
}

// Writer's page object as the bus shows it, looked up apart from the trackers: the first document
// text in the program's windows; on the bus thread.
std::optional<RECT> pageBelow(AtspiAccessible* node, int depth, qint64 pid)
{
    // Other programs (asked through the bus alone: this one waits for the answer itself).
    if (depth == 1 && atspi_accessible_get_process_id(node, nullptr) != pid)
        return std::nullopt;
    const AtspiRole role = atspi_accessible_get_role(node, nullptr);
    if (role == ATSPI_ROLE_DOCUMENT_TEXT)
        return atspi_detail::extents(node);
    // Bars of hundreds of items, which hold no page.
    if (depth > 12 || role == ATSPI_ROLE_MENU_BAR || role == ATSPI_ROLE_TOOL_BAR || role == ATSPI_ROLE_STATUS_BAR)
        return std::nullopt;
    const gint count = atspi_accessible_get_child_count(node, nullptr);
    for (gint i = 0; i < count; ++i) {
        const BusRef child = BusRef::adopt(atspi_accessible_get_child_at_index(node, i, nullptr));
        if (const std::optional<RECT> found = child ? pageBelow(child.get(), depth + 1, pid) : std::nullopt)
            return found;
    }
    return std::nullopt;
}

QRect pageOfProgram(qint64 pid)
{
    const std::optional<RECT> found = AtspiDesktop::call(
        [pid] { return pageBelow(BusRef::adopt(atspi_get_desktop(0)).get(), 0, pid); }, std::nullopt);
    return found ? QRect(found->left, found->top, found->right - found->left, found->bottom - found->top) : QRect();
}

} // namespace

class TestDocument : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void pageIsTheEditor_data();
    void pageIsTheEditor();

private:
    QString writingWindowText(const QString& hotKey);

    BusShell shell;
    QProcess writer;
    QTemporaryDir dir;
    QString window;
    qint64 writerPid = 0;
    // The text of every editor taken in the whole run, read as it was taken.
    QStringList takenTexts;
};

void TestDocument::initTestCase()
{
    QVERIFY(shell.start(*this));
    EditorManager* manager = getEditorManager();
    getDialogFloat();
    // Grabs the hot keys on this test's X server.
    QVERIFY(getActions());
    connect(manager, &EditorManager::editorDetected, this,
            [this](ClientHelper* helper, QString, QSharedPointer<EditorParam> param) {
                takenTexts << helper->getCurrentPageText(param, false);
            });

    const QString path = dir.filePath(QStringLiteral("errors.fodt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(flatDocument);
    file.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SAL_USE_VCLPLUGIN"), QStringLiteral("gtk3"));
    writer.setProcessEnvironment(env);
    writer.start(QStringLiteral("soffice"),
                 {QStringLiteral("--writer"), QStringLiteral("--norestore"), QStringLiteral("--nologo"),
                  QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString(),
                  path});
    QVERIFY(writer.waitForStarted());
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT(run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^errors.fodt")}, &out)
                                 && !out.trimmed().isEmpty(),
                             60000);
    window = QString::fromUtf8(out.trimmed().split('\n').first());
    // The launcher we started hands the work to a process of its own, which owns the window.
    QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("getwindowpid"), window}, &out));
    writerPid = out.trimmed().toLongLong();
    QVERIFY(writerPid > 0);
}

void TestDocument::cleanupTestCase()
{
    delete existingDialogFloat();
    if (writerPid > 0)
        ::kill(static_cast<pid_t>(writerPid), SIGKILL);
    writer.kill();
    writer.waitForFinished();
    QVERIFY(shell.stop(*this));
}

// Presses the hot key in Writer and gives back what the writing window it opened holds; the window
// is closed and Writer has the focus again.
QString TestDocument::writingWindowText(const QString& hotKey)
{
    if (!run(QStringLiteral("xdotool"), {QStringLiteral("key"), hotKey}))
        return QStringLiteral("(xdotool failed)");
    const auto shown = [] {
        const QWidgetList all = QApplication::topLevelWidgets();
        auto it = std::find_if(all.begin(), all.end(), [](QWidget* widget) {
            return qobject_cast<DialogWriter*>(widget) && widget->isVisible();
        });
        return it == all.end() ? nullptr : static_cast<DialogWriter*>(*it);
    };
    if (!buscommands::waitFor([&] { return shown() != nullptr; }, 10000))
        return QStringLiteral("(no writing window)");
    DialogWriter* writingWindow = shown();
    auto* edit = writingWindow->findChild<TextEditEx*>(QStringLiteral("textEdit"));
    const QString text = edit ? edit->toPlainText() : QStringLiteral("(no text field)");
    writingWindow->close();
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), window});
    return text;
}

void TestDocument::pageIsTheEditor_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("typed");

    // In order, on the one Writer: each case goes on from where the one before left the caret.
    QTest::newRow("caret in the page after start") << QStringList() << QString();
    QTest::newRow("focus left and came back") << QStringList{QStringLiteral("away")} << QString();
    QTest::newRow("caret moved to the last paragraph") << QStringList{QStringLiteral("ctrl+End")} << QString();
    // The table's own toolbar shows below the page, which gets smaller.
    QTest::newRow("caret in a table cell") << QStringList{QStringLiteral("ctrl+Home"), QStringLiteral("Down"), QStringLiteral("Down")}
                                           << QString();
    QTest::newRow("a click into the page") << QStringList{QStringLiteral("click")} << QString();
    QTest::newRow("typed at the end") << QStringList{QStringLiteral("ctrl+End")} << QStringLiteral(" 2026");
}

void TestDocument::pageIsTheEditor()
{
    QFETCH(QStringList, keys);
    QFETCH(QString, typed);
    EditorManager* manager = getEditorManager();
    QStringList expected = pageLines;
    expected.last() += typed;

    // The focus goes to the paragraph holding the caret, or, when Writer's window comes back, to
    // the pane around the page.
    const auto onPage = [this, manager] {
        return manager->getActiveHelper() == shell.uia && !takenTexts.isEmpty() && takenTexts.last().startsWith(pageLines.first());
    };
    const bool first = QTest::currentDataTag() == QLatin1String("caret in the page after start");
    const int takenBefore = first ? 0 : takenTexts.size();
    if (first)
        QVERIFY2(buscommands::focusUntil(window, onPage), "the page was never taken");
    for (const QString& key : keys) {
        if (key == QLatin1String("away")) {
            QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("0")}));
            QTest::qWait(1000);
            QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), window}));
        } else if (key == QLatin1String("click")) {
            // Into the first paragraph, away from where the caret was.
            // The caret's last move was to a paragraph, which stands for the page.
            const HWND page = manager->getActiveEditorParam()->hwnd;
            QVERIFY(classOf(page).endsWith(QLatin1String(":document text")));
            const std::optional<RECT> firstParagraph = AtspiDesktop::call(
                [page] {
                    AtspiAccessible* document = AtspiDesktop::instance()->accessibleOf(page);
                    return atspi_detail::extents(BusRef::adopt(atspi_accessible_get_child_at_index(document, 0, nullptr)).get());
                },
                std::nullopt);
            QVERIFY(firstParagraph);
            QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(firstParagraph->left + 20),
                                                    QString::number((firstParagraph->top + firstParagraph->bottom) / 2),
                                                    QStringLiteral("click"), QStringLiteral("1")}));
        } else {
            QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("key"), key}));
        }
    }
    if (!typed.isEmpty())
        QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), typed}));
    // Every move of the caret to another paragraph reports the focus again, and the page is taken again.
    QTRY_VERIFY_WITH_TIMEOUT(takenTexts.size() > takenBefore && onPage(), 15000);
    QSharedPointer<EditorParam> page = manager->getActiveEditorParam();
    QCOMPARE(manager->getActiveHelper(), static_cast<ClientHelper*>(shell.uia));
    QTRY_COMPARE_WITH_TIMEOUT(shell.uia->getCurrentPageText(page, false), expected.join(QLatin1Char('\n')), 5000);

    // The button sits in the page's lower right corner, inside the page.
    DialogFloat* button = existingDialogFloat();
    QVERIFY(button);
    QTRY_VERIFY(button->isVisible());
    QRect area;
    const auto inCorner = [this, button, &area] {
        area = pageOfProgram(writerPid);
        const QRect at = button->geometry();
        return area.contains(at) && area.right() - at.right() < 60 && area.bottom() - at.bottom() < 60;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(inCorner(), qPrintable(QStringLiteral("button %1,%2 %3x%4 in page %5,%6 %7x%8")
                                                         .arg(button->x()).arg(button->y()).arg(button->width()).arg(button->height())
                                                         .arg(area.x()).arg(area.y()).arg(area.width()).arg(area.height())),
                              15000);
    QTRY_COMPARE(shell.uia->getEditRect(page), pageOfProgram(writerPid));

    // Both hot keys: this tracker cannot mark errors, so checking opens the writing window too.
    QCOMPARE(writingWindowText(QStringLiteral("ctrl+shift+w")), expected.join(QLatin1Char('\n')));
    QCOMPARE(writingWindowText(QStringLiteral("ctrl+shift+c")), expected.join(QLatin1Char('\n')));

    // Never a field of the toolbars: whatever was taken held the whole page.
    for (const QString& taken : takenTexts)
        QVERIFY2(taken.startsWith(pageLines.first() + QLatin1Char('\n')) && taken.count(QLatin1Char('\n')) == pageLines.size() - 1,
                 qPrintable(taken));
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
