#include "errorslist.h"
#include "ui_errorslist.h"

#include <QScopedValueRollback>
#include <QScreen>
#include <QSpacerItem>

#include "checkdata.h"
#include "checkerclient.h"
#include "config.h"
#include "dataitem.h"
#include "dataitemvalue.h"
#include "errorslistgroup.h"
#include "errorslistitem.h"
#include "settingkeys.h"

namespace {

bool readShowDictTip()
{
    Config* config = GetConfig();
    return config ? config->getValueBool(SettingKeys::ShowDictTip, true) : true;
}

} // namespace

ErrorsList::ErrorsList(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::ErrorsList)
{
    ui->setupUi(this);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    ui->scrollAreaWidgetContents->setPalette(pal);
    // Under an application style sheet the palette's white no longer reaches the empty part below
    // the last group; a rule for this one widget keeps it white.
    // Added to the scroll area's sheet, which the rows go through anyway: a sheet of its own on the
    // contents would be one more for every row to be styled through.
    ui->scrollArea->setStyleSheet(ui->scrollArea->styleSheet()
                                  + QStringLiteral("\n#scrollAreaWidgetContents { background: white; }"));
    m_showDictTip = readShowDictTip();
    ui->scrollAreaWidgetContents->installEventFilter(this);
    ui->scrollArea->viewport()->installEventFilter(this);
}

ErrorsList::~ErrorsList()
{
    delete ui;
}

ErrorsListGroup* ErrorsList::addCheckData(const std::shared_ptr<CheckData>& data, int index)
{
    if (!addSlot(data, index))
        return nullptr;
    return buildGroup(m_slots.size() - 1);
}

bool ErrorsList::addCheckDataWhenShown(const std::shared_ptr<CheckData>& data, int index)
{
    if (!addSlot(data, index))
        return false;
    // What is seen first is built at once, so the list is whole the moment it shows.
    if (m_filledHeight < firstViewHeight())
        buildGroup(m_slots.size() - 1);
    return true;
}

bool ErrorsList::addSlot(const std::shared_ptr<CheckData>& data, int index)
{
    if (!data)
        return false;
    m_currentWords = QString::fromUtf8(data->words.c_str());
    CheckerClient* client = getCheckerClient();
    if (!client)
        return false;

    Slot slot;
    slot.data = data;
    slot.index = index;
    slot.words = m_currentWords;
    // The type names run together: short name, "·", short name, then "error".
    for (size_t i = 0; i < data->errorTypes.size(); ++i) {
        if (i > 0)
            slot.typeNames += QChar(0x00B7);
        slot.typeNames += client->getErrorTypeName(data->errorTypes[i], true, false);
    }
    slot.typeNames += tr("error");
    if (data->dataItem) {
        for (const DataItemValue* value : data->dataItem->values)
            slot.rows += value ? 1 : 0;
    }
    slot.expanded = m_newGroupsExpanded;
    if (m_sample)
        slot.width = m_sample->titleWidthFor(slot.words, slot.typeNames);
    slot.space = new QSpacerItem(0, 0);
    sizeSpace(slot);
    m_filledHeight += slot.space->sizeHint().height();
    ui->verticalLayoutScroll->insertItem(int(m_slots.size()), slot.space);
    m_slots.push_back(std::move(slot));
    return true;
}

ErrorsListGroup* ErrorsList::buildGroup(size_t position)
{
    Slot& slot = m_slots[position];
    if (slot.group)
        return slot.group;
    const QScopedValueRollback<bool> building(m_building, true);

    // Made inside the column: moving it there afterwards would style the whole form a second time.
    auto* group = new ErrorsListGroup(ui->scrollAreaWidgetContents);
    group->setTextWidth(m_textWidth);
    group->setTitle(slot.words, slot.typeNames);
    group->setGroupIndex(slot.index);
    group->setShowDictTip(m_showDictTip);
    connect(group, &ErrorsListGroup::highlightGroup, this, &ErrorsList::onHighlightGroup);
    group->setItemSetUp([this](ErrorsListItem* item) { connectItem(item); });
    if (!slot.expanded)
        group->expand(false);
    if (slot.data->dataItem) {
        const auto& values = slot.data->dataItem->values;
        for (size_t j = 0; j < values.size(); ++j) {
            const DataItemValue* value = values[j];
            if (!value)
                continue;
            const QString text = QString::fromUtf8(value->value ? value->value : "");
            group->addItemWhenShown(text, value->GetCount(), slot.index, int(j));
        }
    }
    group->addItemEnd();
    if (!slot.enabled)
        group->enableGroup(false);
    if (!slot.shown)
        group->hide();
    if (m_groupSetUp)
        m_groupSetUp(group);
    trackMouseLikeList(group);

    const int height = slot.space->sizeHint().height();
    delete ui->verticalLayoutScroll->takeAt(int(position));
    slot.space = nullptr;
    slot.group = group;
    ui->verticalLayoutScroll->insertWidget(int(position), group);
    if (slot.shown && ui->scrollAreaWidgetContents->isVisible())
        group->show();

    if (!m_sample) {
        m_sample = group;
        m_titleHeight = group->titleHeight();
    }
    if (m_rowHeight == 0)
        m_rowHeight = group->rowHeight();
    m_filledHeight += (slot.shown ? group->sizeHint().height() : 0) - height;
    return group;
}

int ErrorsList::expectedHeight(const Slot& slot) const
{
    if (!slot.shown)
        return 0;
    // Until a row has been measured, a row is taken to be as tall as a title.
    const int rowHeight = m_rowHeight > 0 ? m_rowHeight : m_titleHeight;
    return m_titleHeight + (slot.expanded ? slot.rows * rowHeight : 0);
}

int ErrorsList::firstViewHeight() const
{
    // A window sized by its owner shows that much; otherwise it may take up to the screen.
    const QWidget* top = window();
    if (top->isVisible() || top->testAttribute(Qt::WA_Resized))
        return qMax(top->height(), 1);
    const QScreen* screen = top->screen();
    return screen ? screen->availableGeometry().height() : 1;
}

void ErrorsList::buildGroupsInView()
{
    QWidget* contents = ui->scrollAreaWidgetContents;
    if (m_building || !contents->isVisible())
        return;
    const int top = -contents->y();
    const int bottom = top + ui->scrollArea->viewport()->height();
    for (size_t i = 0; i < m_slots.size(); ++i) {
        const Slot& slot = m_slots[i];
        if (slot.group || !slot.shown)
            continue;
        const QRect place = slot.space->geometry();
        if (place.top() >= bottom)
            break;
        if (place.bottom() >= top && place.isValid())
            buildGroup(i);
    }
}

bool ErrorsList::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:  // the contents move as the list scrolls
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::LayoutRequest:
        buildGroupsInView();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QList<ErrorsListGroup*> ErrorsList::groups()
{
    QList<ErrorsListGroup*> all;
    for (size_t i = 0; i < m_slots.size(); ++i)
        all.append(buildGroup(i));
    return all;
}

ErrorsListGroup* ErrorsList::groupAt(int position)
{
    if (position < 0 || size_t(position) >= m_slots.size())
        return nullptr;
    return buildGroup(size_t(position));
}

void ErrorsList::sizeSpace(Slot& slot)
{
    // As wide as the group would need, so the column's width does not change as groups are built.
    slot.space->changeSize(slot.shown ? slot.width : 0, expectedHeight(slot), QSizePolicy::Minimum, QSizePolicy::Fixed);
}

void ErrorsList::setGroupShown(int position, bool shown)
{
    if (position < 0 || size_t(position) >= m_slots.size())
        return;
    Slot& slot = m_slots[size_t(position)];
    slot.shown = shown;
    if (slot.group) {
        slot.group->setVisible(shown);
        return;
    }
    sizeSpace(slot);
    ui->verticalLayoutScroll->invalidate();
}

void ErrorsList::connectItem(ErrorsListItem* item)
{
    item->setShowDictTip(m_showDictTip);
    connect(item, &ErrorsListItem::apply, this, &ErrorsList::onItemApply);
    trackMouseLikeList(item);
}

void ErrorsList::trackMouseLikeList(QWidget* widget) const
{
    // The pop-up tracks the mouse over everything in it, to offer its resize cursors at the
    // edges; what is built later must do the same.
    if (!hasMouseTracking())
        return;
    widget->setMouseTracking(true);
    const auto children = widget->findChildren<QWidget*>();
    for (QWidget* child : children)
        child->setMouseTracking(true);
}

void ErrorsList::addStretch()
{
    ui->verticalLayoutScroll->addStretch(0);
}

void ErrorsList::clear()
{
    while (QLayoutItem* item = ui->verticalLayoutScroll->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            // Deletion waits for the event loop; until then the old group must not stay on screen.
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    m_showDictTip = readShowDictTip();
    m_slots.clear();
    m_sample = nullptr;
    m_titleHeight = 0;
    m_rowHeight = 0;
    m_filledHeight = 0;
    m_maxHeight = 0;
    m_maxWidth = 0;
    emit maxHeightChanged(0, 0);
}

void ErrorsList::expandAll(bool expand)
{
    for (Slot& slot : m_slots) {
        slot.expanded = expand;
        if (slot.group)
            slot.group->expand(expand);
        else
            sizeSpace(slot);
    }
    ui->verticalLayoutScroll->invalidate();
}

void ErrorsList::enableGroupAt(int groupIndex, bool enable)
{
    for (Slot& slot : m_slots) {
        if (slot.index != groupIndex)
            continue;
        slot.enabled = enable;
        if (slot.group)
            slot.group->enableGroup(enable);
    }
}

ErrorsListItem* ErrorsList::addItemAt(int layoutIndex, const QString& text, int count, int groupIndex, int itemIndex)
{
    ErrorsListGroup* group = groupAt(layoutIndex);
    return group ? group->addItem(text, count, groupIndex, itemIndex) : nullptr;
}

void ErrorsList::addItemEndAt(int layoutIndex)
{
    if (ErrorsListGroup* group = groupAt(layoutIndex))
        group->addItemEnd();
}

void ErrorsList::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateMaxSize();
}

void ErrorsList::updateMaxSize()
{
    const int count = ui->verticalLayoutScroll->count();
    if (count == 0)
        return;
    // After a complete fill the last item is the stretch: its top is the height of all groups.
    const QRect r = ui->verticalLayoutScroll->itemAt(count - 1)->geometry();
    if (r.y() == m_maxHeight && r.width() + 48 == m_maxWidth)
        return;
    m_maxHeight = r.y();
    m_maxWidth = r.width() + 48;
    emit maxHeightChanged(m_maxHeight, m_maxWidth);
}

void ErrorsList::onItemApply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex)
{
    emit apply(itemTitle, itemIndex, groupTitle, groupIndex);
}

void ErrorsList::onHighlightGroup(ErrorsListGroup* group)
{
    for (const Slot& slot : m_slots) {
        if (slot.group && slot.group != group)
            slot.group->setHighlightGroup(false);
    }
}
