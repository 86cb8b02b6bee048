#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

#include "proofkit_export.h"

namespace Ui { class ErrorsList; }
class CheckData;
class ErrorsListGroup;
class ErrorsListItem;

// Scrolling column of groups, embedded by the pop-up and by the list window. It shows; its owner
// edits (see apply()).
class PROOFKIT_EXPORT ErrorsList : public QWidget
{
    Q_OBJECT
public:
    explicit ErrorsList(QWidget* parent = nullptr);
    ~ErrorsList() override;

    // index: the error's place in the caller's result list, carried back by apply().
    ErrorsListGroup* addCheckData(const std::shared_ptr<CheckData>& data, int index);
    void addStretch();
    void clear();
    // Width in pixels the texts of groups added later must fit in (long ones end in "…", whole
    // in their tool tip); 0 lets them take what they need.
    void setTextWidth(int pixels) { m_textWidth = pixels; }
    // Whether groups added later start open; a collapsed group builds its rows when first opened.
    void setNewGroupsExpanded(bool expanded) { m_newGroupsExpanded = expanded; }
    void expandAll(bool expand);
    QList<ErrorsListGroup*> groups() const { return m_groups; }
    void enableGroupAt(int groupIndex, bool enable);

    // A group addressed by its place in the column.
    ErrorsListItem* addItemAt(int layoutIndex, const QString& text, int count, int groupIndex, int itemIndex);
    void addItemEndAt(int layoutIndex);

    void updateMaxSize();

signals:
    void apply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    void maxHeightChanged(int maxHeight, int maxWidth);

public slots:
    void onItemApply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    void onHighlightGroup(ErrorsListGroup* group);

protected:
    void showEvent(QShowEvent* event) override;

private:
    ErrorsListGroup* groupAt(int layoutIndex) const;
    void connectItem(ErrorsListItem* item);

    Ui::ErrorsList* ui = nullptr;
    QString m_currentWords;
    int m_maxHeight = 0;
    int m_maxWidth = 0;
    bool m_showDictTip = true;
    int m_textWidth = 0;
    bool m_newGroupsExpanded = true;
    QList<ErrorsListGroup*> m_groups;
};
