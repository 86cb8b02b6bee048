#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

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
    // As addItem, but while the group is collapsed the row is only noted: it is built, and handed
    // to the row set-up, when the group opens or its rows are asked for.
    void addItemWhenShown(QString text, int count, int groupIndex, int itemIndex);
    void addItemEnd();
    void removeAllItems();
    // Builds the rows still waiting.
    QList<ErrorsListItem*> items();
    // Applied to every row built later (for example to connect it).
    void setItemSetUp(std::function<void(ErrorsListItem*)> setUp) { m_itemSetUp = std::move(setUp); }

    // The title part's height, and a built row's (0 while none is built): the room a group of
    // the same kind takes before it is built.
    int titleHeight() const;
    int rowHeight() const;
    // Width the title part would need with these texts, measured against this group's own.
    int titleWidthFor(const QString& title, const QString& title2) const;

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
    QString shownTitle(const QString& title, const QString& title2) const;
    QFont titleFont() const;

    struct PendingItem
    {
        QString text;
        int count = 0;
        int groupIndex = -1;
        int itemIndex = -1;
    };
    ErrorsListItem* buildItem(const PendingItem& pending);
    void buildPendingItems();

    Ui::ErrorsListGroup* ui = nullptr;
    QString m_title;
    int m_groupIndex = -1;
    bool m_showDictTip = true;
    int m_textWidth = 0;
    QList<ErrorsListItem*> m_items;
    // A long result fills the list with collapsed groups: building their rows before anyone opens
    // them would cost most of the fill.
    std::vector<PendingItem> m_pendingItems;
    std::function<void(ErrorsListItem*)> m_itemSetUp;
    bool m_itemsEnabled = true;
};
