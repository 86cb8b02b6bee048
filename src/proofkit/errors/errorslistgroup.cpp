#include "errorslistgroup.h"
#include "ui_errorslistgroup.h"

#include <QtMath>

#include "checkerclient.h"
#include "errorslistitem.h"
#include "iconfont.h"

namespace {

QIcon expandIcon(bool expanded)
{
    return getIconFont()->icon(expanded ? 0xf107 : 0xf104,
                               IconColorOptions(QColor(77, 130, 184), QColor(176, 176, 176)));
}

// Buttons, margins and spacing beside the title texts.
constexpr int kButtonsRoom = 60;

void setLabelEnabled(QLabel* label, bool enable)
{
    QFont font = label->font();
    font.setStrikeOut(!enable);
    label->setFont(font);
    label->setEnabled(enable);
}

void setLabelColor(QLabel* label, const QColor& color)
{
    QPalette pal = label->palette();
    pal.setColor(label->foregroundRole(), color);
    label->setPalette(pal);
}

} // namespace

ErrorsListGroup::ErrorsListGroup(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::ErrorsListGroup)
{
    ui->setupUi(this);
    ui->btnExpandGroup->setIcon(expandIcon(true));
    ui->btnDict->setIcon(getIconFont()->icon(0xf02d, IconColorOptions(QColor(0, 122, 204))));
    ui->btnDict->hide();
    // The title carries the escaped flagged words inside markup. The form's placeholder goes
    // first, or the change of format would lay it out as a document only to be replaced.
    ui->labelTitle->clear();
    ui->labelTitle->setTextFormat(Qt::RichText);
}

ErrorsListGroup::~ErrorsListGroup()
{
    removeAllItems();
    delete ui;
}

void ErrorsListGroup::setTitle(QString& title, QString& title2)
{
    m_title = title;
    ui->labelTitle2->setText(title2);
    const QString shown = shownTitle(title, title2);
    if (m_textWidth > 0)
        ui->labelTitle->setToolTip(shown == title ? QString() : title);
    // The flagged words come from the service and are shown as written.
    ui->labelTitle->setText(QStringLiteral("<b>") + shown.toHtmlEscaped() + QStringLiteral("</b>"));
}

QString ErrorsListGroup::shownTitle(const QString& title, const QString& title2) const
{
    if (m_textWidth <= 0)
        return title;
    // The type names keep their room; the words give way.
    const int room = m_textWidth - kButtonsRoom - ui->labelTitle2->fontMetrics().horizontalAdvance(title2);
    return QFontMetrics(titleFont()).elidedText(title, Qt::ElideRight, qMax(room, 0));
}

QFont ErrorsListGroup::titleFont() const
{
    QFont bold = ui->labelTitle->font();
    bold.setBold(true);
    return bold;
}

int ErrorsListGroup::titleWidthFor(const QString& title, const QString& title2) const
{
    // The words are laid out as rich text, in fractions of a pixel rounded up at the end.
    const QFontMetricsF words(titleFont());
    const QFontMetrics types = ui->labelTitle2->fontMetrics();
    auto textsWidth = [&](const QString& t, const QString& t2) {
        return qCeil(words.horizontalAdvance(shownTitle(t, t2))) + types.horizontalAdvance(t2);
    };
    return ui->widgetTitle->minimumSizeHint().width() - textsWidth(m_title, ui->labelTitle2->text())
           + textsWidth(title, title2);
}

QString ErrorsListGroup::title() const
{
    return m_title;
}

void ErrorsListGroup::setGroupIndex(int groupIndex)
{
    m_groupIndex = groupIndex;
}

int ErrorsListGroup::groupIndex() const
{
    return m_groupIndex;
}

void ErrorsListGroup::setShowDictTip(bool show)
{
    m_showDictTip = show;
}

ErrorsListItem* ErrorsListGroup::addItem(QString text, int count, int groupIndex, int itemIndex)
{
    // Rows keep their order: any still waiting come first.
    buildPendingItems();
    return buildItem({ std::move(text), count, groupIndex, itemIndex });
}

void ErrorsListGroup::addItemWhenShown(QString text, int count, int groupIndex, int itemIndex)
{
    if (ui->widgetItems->isVisibleTo(this))
        addItem(std::move(text), count, groupIndex, itemIndex);
    else
        m_pendingItems.push_back({ std::move(text), count, groupIndex, itemIndex });
}

ErrorsListItem* ErrorsListGroup::buildItem(const PendingItem& pending)
{
    // Made in place: moving a form under another parent styles it again.
    auto* item = new ErrorsListItem(ui->widgetItems);
    item->setTextWidth(m_textWidth);
    item->setText(pending.text, pending.count, m_title, pending.groupIndex, pending.itemIndex);
    if (!m_itemsEnabled)
        item->setItemEnabled(false);
    ui->widgetItems->layout()->addWidget(item);
    m_items.append(item);
    if (m_itemSetUp)
        m_itemSetUp(item);
    return item;
}

void ErrorsListGroup::buildPendingItems()
{
    std::vector<PendingItem> pending;
    pending.swap(m_pendingItems);
    for (const PendingItem& item : pending)
        buildItem(item);
}

QList<ErrorsListItem*> ErrorsListGroup::items()
{
    buildPendingItems();
    return m_items;
}

void ErrorsListGroup::addItemEnd()
{
}

void ErrorsListGroup::removeAllItems()
{
    m_pendingItems.clear();
    m_items.clear();
    QLayout* layout = ui->widgetItems->layout();
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget())
            widget->deleteLater();
        delete item;
    }
}

int ErrorsListGroup::titleHeight() const
{
    return ui->widgetTitle->sizeHint().height() + ui->line->sizeHint().height();
}

int ErrorsListGroup::rowHeight() const
{
    return m_items.isEmpty() ? 0 : m_items.first()->sizeHint().height();
}

void ErrorsListGroup::expand(bool expand)
{
    if (expand)
        buildPendingItems();
    ui->widgetItems->setVisible(expand);
    ui->btnExpandGroup->setIcon(expandIcon(expand));
}

void ErrorsListGroup::setTitleCursor(QCursor& cursor)
{
    ui->labelTitle->setCursor(cursor);
}

void ErrorsListGroup::enableGroup(bool enable)
{
    setLabelEnabled(ui->labelTitle, enable);
    setLabelEnabled(ui->labelTitle2, enable);
    m_itemsEnabled = enable;
    for (ErrorsListItem* item : qAsConst(m_items))
        item->setItemEnabled(enable);
}

void ErrorsListGroup::setHighlightGroup(bool on)
{
    const QColor color = on ? QColor(Qt::blue) : QColor(Qt::black);
    setLabelColor(ui->labelTitle, color);
    setLabelColor(ui->labelTitle2, color);
    if (on)
        emit highlightGroup(this);
}

void ErrorsListGroup::enterEvent(QEvent* event)
{
    QWidget::enterEvent(event);
    if (m_showDictTip)
        ui->btnDict->show();
}

void ErrorsListGroup::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    ui->btnDict->hide();
}

void ErrorsListGroup::on_btnExpandGroup_clicked()
{
    expand(!ui->widgetItems->isVisibleTo(this));
}

void ErrorsListGroup::on_labelTitle_mouseLeftClick()
{
    emit clicked(this);
    setHighlightGroup(true);
}

void ErrorsListGroup::on_labelTitle2_mouseLeftClick()
{
    on_labelTitle_mouseLeftClick();
}

void ErrorsListGroup::on_labelTitle_mouseDoubleClick()
{
    on_btnExpandGroup_clicked();
    setHighlightGroup(true);
}

void ErrorsListGroup::on_labelTitle2_mouseDoubleClick()
{
    on_labelTitle_mouseDoubleClick();
}

void ErrorsListGroup::on_btnDict_clicked()
{
    if (CheckerClient* client = getCheckerClient())
        client->openDictUrl(m_title);
}
