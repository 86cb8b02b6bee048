#pragma once

// What the Word tracker's tests share: a simulated word processor with one document, the tracker
// that took its pane, findings made by hand or by the local service, and readers of what the
// document, the pop-up and the error list show.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QtTest>

#include <memory>

#include "checkerclient.h"
#include "comapi.h"
#include "contextshow.h"
#include "dataitem.h"
#include "errorslist.h"
#include "errorslistgroup.h"
#include "errorslistitem.h"
#include "sim/word.h"
#include "widgeterrorlist.h"
#include "wordclienthelper.h"
#include "wordhelper.h"
#include "wordobjects.h"

struct Span
{
    int start = 0;
    int end = 0;
    bool operator==(const Span& other) const { return start == other.start && end == other.end; }
};
inline char* toString(const Span& span)
{
    return QTest::toString(QStringLiteral("[%1, %2)").arg(span.start).arg(span.end));
}
using Spans = QVector<Span>;
inline char* toString(const Spans& spans)
{
    QStringList parts;
    for (const Span& span : spans)
        parts << QStringLiteral("[%1, %2)").arg(span.start).arg(span.end);
    return QTest::toString(parts.join(QLatin1Char(' ')));
}
Q_DECLARE_METATYPE(Span)
Q_DECLARE_METATYPE(sim::Underline)

namespace sim {
inline char* toString(const Underline& underline)
{
    return QTest::toString(QStringLiteral("{%1, %2}").arg(underline.style).arg(underline.color));
}
}

constexpr int kMarkStyle = 27;
constexpr int kMarkColor = 496;

// One finding: the flagged words, their suggestions and error types, as a check reply gives them.
inline std::shared_ptr<CheckData> finding(const QString& words, const QStringList& suggestions = {},
                                          const std::vector<int>& types = {1})
{
    auto data = std::make_shared<CheckData>();
    data->words = words.toStdString();
    data->dataItem = std::make_shared<DataItem>();
    for (int i = 0; i < suggestions.size(); ++i)
        data->dataItem->addValue(suggestions[i].toStdString(), 10 - i);
    _CHECK_DATA_POS_ range;
    range.end = uint32_t(words.size() - 1);
    data->pos.push_back(range);
    data->errorTypes = types;
    return data;
}

// A finding the service placed at the given starts of the checked text (and nowhere else).
inline std::shared_ptr<CheckData> findingAt(const QString& words, const QStringList& suggestions,
                                            const QList<int>& starts)
{
    auto data = finding(words, suggestions);
    data->pos.clear();
    for (int start : starts) {
        _CHECK_DATA_POS_ range;
        range.begin = uint32_t(start);
        range.end = uint32_t(start + words.size() - 1);
        data->pos.push_back(range);
    }
    return data;
}

inline QString flaggedWords(const CHECK_DATAS& results)
{
    QStringList words;
    for (const auto& data : results)
        words << QString::fromStdString(data->words);
    return words.join(QLatin1Char(','));
}

// The visible window of type T, or null.
template <typename T>
T* shownWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<T*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

template <typename T>
int windowsOf()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<T*>(widget) ? 1 : 0;
    return count;
}

// Group titles of the error column inside a pop-up or an error list.
inline QStringList groupTitles(QWidget* window)
{
    QStringList titles;
    if (!window)
        return titles;
    if (auto* list = window->findChild<ErrorsList*>()) {
        for (ErrorsListGroup* group : list->groups())
            titles << group->title();
    }
    return titles;
}

// Chooses suggestion n of the group with the given title, as a click on its Apply button does.
inline bool chooseSuggestion(QWidget* window, const QString& groupTitle, int n)
{
    if (!window)
        return false;
    auto* list = window->findChild<ErrorsList*>();
    if (!list)
        return false;
    for (ErrorsListGroup* group : list->groups()) {
        if (group->title() != groupTitle || n >= group->items().size())
            continue;
        auto* apply = group->items().at(n)->findChild<QAbstractButton*>(QStringLiteral("btnApply"));
        if (!apply)
            return false;
        apply->click();
        return true;
    }
    return false;
}

inline void clickButton(QWidget* window, const char* name)
{
    QVERIFY(window);
    auto* button = window->findChild<QAbstractButton*>(QLatin1String(name));
    QVERIFY(button);
    button->click();
}

inline void triggerAction(QWidget* window, const char* name)
{
    QVERIFY(window);
    auto* action = window->findChild<QAction*>(QLatin1String(name));
    QVERIFY(action);
    action->trigger();
}

// Everything the tracker took from the word processor, and the windows it made, went with it.
inline void verifyNothingLeft()
{
    QCOMPARE(sim::liveWordObjects(), 0);
    QCOMPARE(sim::liveComObjects(), 0);
    QCOMPARE(sim::liveStrings(), 0);
    QCOMPARE(windowsOf<ContextShow>(), 0);
    QCOMPARE(windowsOf<WidgetErrorList>(), 0);
}

// A word processor with one open document whose pane the tracker has been offered.
struct WordDesk
{
    sim::WordAppId app = 0;
    sim::WordDocId doc = 0;
    std::unique_ptr<WordClientHelper> tracker = std::make_unique<WordClientHelper>();

    explicit WordDesk(const QString& text, const std::vector<int>& pageStarts = {},
                      const sim::WordAppSpec& appSpec = {}, const QString& name = QStringLiteral("Report"))
    {
        app = sim::createWordApp(appSpec);
        doc = open(text, pageStarts, name);
        // The caret on the last paragraph mark, off any flagged words.
        const int end = int(sim::wordText(doc).size()) - 1;
        sim::setWordSelection(doc, end, end);
    }

    sim::WordDocId open(const QString& text, const std::vector<int>& pageStarts = {},
                        const QString& name = QStringLiteral("Other"))
    {
        sim::WordDocSpec setup;
        setup.name = name.toStdU16String();
        setup.text = text.toStdU16String();
        setup.pageStarts = pageStarts;
        return sim::openWordDocument(app, setup);
    }

    HWND pane(sim::WordDocId which = 0) const { return sim::wordPane(which ? which : doc); }

    // The editor as the manager would offer it after a focus event in the pane.
    QSharedPointer<EditorParam> param(sim::WordDocId which = 0) const
    {
        auto param = QSharedPointer<EditorParam>::create();
        param->hwnd = pane(which);
        IAccessible* acc = nullptr;
        if (SUCCEEDED(AccessibleObjectFromWindow(param->hwnd, DWORD(OBJID_CLIENT), IID_IAccessible,
                                                 reinterpret_cast<void**>(&acc))) && acc) {
            param->setAcc(acc);
            acc->Release();
        }
        return param;
    }

    bool take(sim::WordDocId which = 0) { return tracker->focusChanged(param(which)); }

    // Hands findings to the tracker as the command set does after a check.
    void show(const CHECK_DATAS& results, sim::WordDocId which = 0)
    {
        tracker->showErrors(results, param(which), QVector<int>());
    }

    QString text(sim::WordDocId which = 0) const
    {
        return QString::fromStdU16String(sim::wordText(which ? which : doc));
    }

    void select(int start, int end = -1)
    {
        sim::setWordSelection(doc, start, end < 0 ? start : end);
        settle();
    }

    // Stretches carrying the mark underline.
    Spans marks(sim::WordDocId which = 0) const
    {
        Spans spans;
        for (const sim::UnderlineRun& run : sim::wordUnderlineRuns(which ? which : doc)) {
            if (run.underline.style == kMarkStyle && run.underline.color == kMarkColor)
                spans.append({run.start, run.end});
        }
        return spans;
    }

    // Start of each mark run.
    int position(const QString& needle, int from = 0) const { return text().indexOf(needle, from); }

    // Lets posted events arrive and the selection follow-up (10 ms after the last one) run, until
    // nothing new has been posted for a while.
    static void settle()
    {
        for (int quiet = 0, round = 0; quiet < 3 && round < 200; ++round) {
            QTest::qWait(15);
            quiet = sim::wordPendingEvents() > 0 ? 0 : quiet + 1;
        }
    }

    ~WordDesk()
    {
        tracker.reset();
        // Events still on their way hold the objects they carry.
        settle();
        sim::resetWord();
    }
};
