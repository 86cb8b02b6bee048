#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

// The options of one editor: tab stops, highlight colours and switches, the typing aids' brackets.
struct TextEditExConfig
{
    int tabStopDistance = 0;   // pixels; computed from the font and tabWidth
    int tabWidth = 4;
    bool expandTab = false;
    QString tabString = QStringLiteral("\t");
    QColor currentLineColor = Qt::yellow;
    QColor selectedWordColor = Qt::gray;
    QColor occurrenceColor = Qt::gray;
    QColor searchHitColor = Qt::gray;
    QColor searchSelectionColor = Qt::gray;
    QColor trailingSpaceColor = Qt::gray;
    QColor lineNumberBackground = QColor(240, 240, 240);
    QColor lineNumberColor = QColor(120, 120, 120);
    QColor currentLineNumberColor = QColor(40, 150, 0);
    bool highlightWholeBlock = true;
    bool highlightCurrentLine = false;
    bool highlightSelectedWord = true;
    bool highlightTrailingSpace = false;
    bool highlightOccurrences = true;
    bool showLineNumbers = false;
    bool extraSwitch = false;
    bool autoBrackets = true;
    bool showWhiteSpace = false;
    bool highlighterEnabled = true;
    QStringList openBrackets = {QStringLiteral("("), QStringLiteral("["), QStringLiteral("{"),
                                QStringLiteral("<"), QStringLiteral("*"), QStringLiteral("\"")};
    QStringList closeBrackets = {QStringLiteral(")"), QStringLiteral("]"), QStringLiteral("}"),
                                 QStringLiteral(">"), QStringLiteral("*"), QStringLiteral("\"")};
};
