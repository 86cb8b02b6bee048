#include "errorslist.h"
#include "ui_errorslist.h"

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
}

ErrorsList::~ErrorsList()
{
    delete ui;
}

ErrorsListGroup* ErrorsList::addCheckData(const std::shared_ptr<CheckData>& data, int index)
{
    if (!data)
        return nullptr;
    m_currentWords = QString::fromUtf8(data->words.c_str());
    CheckerClient* client = getCheckerClient();
    if (!client)
        return nullptr;

    // The type names run together: short name, "·", short name, then "error".
    QString typeNames;
    for (size_t i = 0; i < data->errorTypes.size(); ++i) {
        if (i > 0)
            typeNames += QChar(0x00B7);
        typeNames += client->getErrorTypeName(data->errorTypes[i], true, false);
    }
    typeNames += tr("error");

    auto* group = new ErrorsListGroup(this);
    group->setTextWidth(m_textWidth);
    group->setTitle(m_currentWords, typeNames);
    group->setGroupIndex(index);
    group->setShowDictTip(m_showDictTip);
    connect(group, &ErrorsListGroup::highlightGroup, this, &ErrorsList::onHighlightGroup);
    group->setItemSetUp([this](ErrorsListItem* item) { connectItem(item); });
    if (!m_newGroupsExpanded)
        group->expand(false);
    m_groups.append(group);
    ui->verticalLayoutScroll->addWidget(group);

    if (data->dataItem) {
        const auto& values = data->dataItem->values;
        for (size_t j = 0; j < values.size(); ++j) {
            const DataItemValue* value = values[j];
            if (!value)
                continue;
            const QString text = QString::fromUtf8(value->value ? value->value : "");
            group->addItemWhenShown(text, value->GetCount(), index, int(j));
        }
    }
    group->addItemEnd();
    return group;
}

void ErrorsList::connectItem(ErrorsListItem* item)
{
    item->setShowDictTip(m_showDictTip);
    connect(item, &ErrorsListItem::apply, this, &ErrorsList::onItemApply);
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
    m_groups.clear();
    m_maxHeight = 0;
    m_maxWidth = 0;
    emit maxHeightChanged(0, 0);
}

void ErrorsList::expandAll(bool expand)
{
    for (ErrorsListGroup* group : qAsConst(m_groups))
        group->expand(expand);
}

void ErrorsList::enableGroupAt(int groupIndex, bool enable)
{
    for (ErrorsListGroup* group : qAsConst(m_groups)) {
        if (group->groupIndex() == groupIndex)
            group->enableGroup(enable);
    }
}

ErrorsListGroup* ErrorsList::groupAt(int layoutIndex) const
{
    QLayoutItem* item = ui->verticalLayoutScroll->itemAt(layoutIndex);
    return item ? qobject_cast<ErrorsListGroup*>(item->widget()) : nullptr;
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
    for (ErrorsListGroup* other : qAsConst(m_groups)) {
        if (other != group)
            other->setHighlightGroup(false);
    }
}
