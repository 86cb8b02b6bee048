#pragma once

#include <QPlainTextEdit>

#include <vector>

// The demonstration's editor: a plain text view of the document that also shows where each page
// ends, since the word processor checks and marks one page at a time.
class PagedTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit PagedTextEdit(QWidget* parent = nullptr);

    // Starts of pages 2, 3, ... as text positions.
    void setPageStarts(const std::vector<int>& starts);
    static QColor pageEndColor();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<int> pageStarts;
};
