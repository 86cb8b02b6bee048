#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "proofkit_export.h"

namespace Ui { class ErrorsList; }
class CheckData;
class ErrorsListGroup;
class ErrorsListItem;
class QSpacerItem;

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
    // As addCheckData, but past the first screenful the group is built only when it scrolls into
    // view or is asked for; until then an empty space of its height keeps its place. False when
    // nothing was added.
    bool addCheckDataWhenShown(const std::shared_ptr<CheckData>& data, int index);
    void addStretch();
    void clear();
    // Width in pixels the texts of groups added later must fit in (long ones end in "…", whole
    // in their tool tip); 0 lets them take what they need.
    void setTextWidth(int pixels) { m_textWidth = pixels; }
    // Whether groups added later start open; a collapsed group builds its rows when first opened.
    void setNewGroupsExpanded(bool expanded) { m_newGroupsExpanded = expanded; }
    void expandAll(bool expand);
    // Builds every group still waiting.
    QList<ErrorsListGroup*> groups();
    int groupCount() const { return int(m_slots.size()); }
    // The group at a place in the column, built if it was still waiting.
    ErrorsListGroup* groupAt(int position);
    // Shows or hides a group without building it.
    void setGroupShown(int position, bool shown);
    // Applied to every group built later (for example to connect it).
    void setGroupSetUp(std::function<void(ErrorsListGroup*)> setUp) { m_groupSetUp = std::move(setUp); }
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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One error's place in the column: its group, or the space held for it until it is built.
    struct Slot
    {
        std::shared_ptr<CheckData> data;
        int index = -1;
        QString words;
        QString typeNames;
        int rows = 0;
        int width = 0;
        ErrorsListGroup* group = nullptr;
        QSpacerItem* space = nullptr;
        bool expanded = true;
        bool enabled = true;
        bool shown = true;
    };
    bool addSlot(const std::shared_ptr<CheckData>& data, int index);
    ErrorsListGroup* buildGroup(size_t position);
    void buildGroupsInView();
    int expectedHeight(const Slot& slot) const;
    void sizeSpace(Slot& slot);
    int firstViewHeight() const;
    void connectItem(ErrorsListItem* item);
    void trackMouseLikeList(QWidget* widget) const;

    Ui::ErrorsList* ui = nullptr;
    QString m_currentWords;
    int m_maxHeight = 0;
    int m_maxWidth = 0;
    bool m_showDictTip = true;
    int m_textWidth = 0;
    bool m_newGroupsExpanded = true;
    // A long result would take most of a second to build whole; only what can be seen is built.
    std::vector<Slot> m_slots;
    std::function<void(ErrorsListGroup*)> m_groupSetUp;
    // Sizes measured on the first group and row built, for the space of those not built yet.
    int m_titleHeight = 0;
    int m_rowHeight = 0;
    QPointer<ErrorsListGroup> m_sample;
    // Height of the column so far, while it is filled.
    int m_filledHeight = 0;
    bool m_building = false;
};
