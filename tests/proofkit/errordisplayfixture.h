#pragma once

// Helpers shared by the error-display tests: results built in the test, and reading rows back.

#include <QApplication>
#include <QColor>
#include <QLabel>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <memory>
#include <vector>

#include "checkdata.h"
#include "dataitem.h"

namespace fixture {

struct Suggestion
{
    const char* text;
    int count;
};

// One result as the service would give it: flagged words, suggestions, first position, types.
inline std::shared_ptr<CheckData> makeError(const char* words, std::vector<Suggestion> suggestions = {},
                                            int begin = -1, std::vector<int> types = {})
{
    auto data = std::make_shared<CheckData>();
    data->words = words;
    if (!suggestions.empty()) {
        data->dataItem = std::make_shared<DataItem>();
        for (const Suggestion& s : suggestions)
            data->dataItem->addValue(s.text, s.count);
    }
    if (begin >= 0) {
        _CHECK_DATA_POS_ range;
        range.begin = unsigned(begin);
        range.end = unsigned(begin) + unsigned(QString::fromUtf8(words).size()) - 1;
        data->pos.push_back(range);
    }
    data->errorTypes = types;
    return data;
}

// What a rich-text label shows: its plain text, and the characters drawn in red and in grey.
struct Rendered
{
    QString plain;
    QString red;
    QString grey;
};

// As the label would show it: rich text only when it is taken as rich text.
inline Rendered render(const QLabel* label)
{
    const QString text = label->text();
    const bool rich = label->textFormat() == Qt::RichText
                      || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
    QTextDocument doc;
    if (rich)
        doc.setHtml(text);
    else
        doc.setPlainText(text);
    Rendered out;
    out.plain = doc.toPlainText();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QColor color = fragment.charFormat().foreground().color();
            if (color == QColor(255, 0, 0))
                out.red += fragment.text();
            else if (color == QColor(0x66, 0x66, 0x66))
                out.grey += fragment.text();
        }
    }
    return out;
}

} // namespace fixture
