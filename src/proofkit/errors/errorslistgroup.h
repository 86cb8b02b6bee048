#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include "proofkit_export.h"

namespace Ui { class ErrorsListGroup; }
class ErrorsListItem;

// One finding: a title (words and kinds of error) over its suggestion rows. A click on the title
// selects and highlights the group.
class PROOFKIT_EXPORT ErrorsListGroup : public QWidget
{
    Q_OBJECT
public:
    explicit ErrorsListGroup(QWidget* parent = nullptr);
    ~ErrorsListGroup() override;

    void setTitle(QString& title, QString& title2);
    QString title() const;
    void setGroupIndex(int groupIndex);
    int groupIndex() const;
    void setShowDictTip(bool show);
    // See ErrorsList::setTextWidth; set before the title and the rows.
    void setTextWidth(int pixels) { m_textWidth = pixels; }

    ErrorsListItem* addItem(QString text, int count, int groupIndex, int itemIndex);
    void addItemEnd();
    void removeAllItems();
    QList<ErrorsListItem*> items() const { return m_items; }

    void expand(bool expand);
    void setTitleCursor(QCursor& cursor);
    void enableGroup(bool enable);
    void setHighlightGroup(bool on);

signals:
    void clicked(ErrorsListGroup* group);
    void highlightGroup(ErrorsListGroup* group);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private slots:
    void on_btnExpandGroup_clicked();
    void on_labelTitle_mouseLeftClick();
    void on_labelTitle2_mouseLeftClick();
    void on_labelTitle_mouseDoubleClick();
    void on_labelTitle2_mouseDoubleClick();
    void on_btnDict_clicked();

private:
    Ui::ErrorsListGroup* ui = nullptr;
    QString m_title;
    int m_groupIndex = -1;
    bool m_showDictTip = true;
    int m_textWidth = 0;
    QList<ErrorsListItem*> m_items;
};
