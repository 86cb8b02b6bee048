#include "errorslistitem.h"
#include "ui_errorslistitem.h"

#include <QMouseEvent>

#include "checkerclient.h"
#include "config.h"
#include "diff.h"
#include "iconfont.h"
#include "settingkeys.h"

namespace {

// Buttons, margins and spacing beside the row's text.
constexpr int kButtonsRoom = 60;

const QString kRedOpen = QStringLiteral("<span style=\"color:#ff0000;\">");
const QString kSpanClose = QStringLiteral("</span>");
// A "*" inside a red run closes the run, shows "..." in the normal colour and reopens it.
const QString kStarInRed = QStringLiteral("</span>...<span style=\"color: #ff0000\">");

} // namespace

ErrorsListItem::ErrorsListItem(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::ErrorsListItem)
{
    ui->setupUi(this);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    ui->line->setPalette(pal);

    ui->btnDict->hide();
    ui->btnApply->hide();

    IconFont* iconFont = getIconFont();
    ui->btnDict->setIcon(iconFont->icon(0xf02d, IconColorOptions(QColor(0, 122, 204))));
    ui->btnApply->setIcon(iconFont->icon(0xf00c, IconColorOptions(QColor(0, 125, 0))));

    if (Config* config = GetConfig())
        m_applyByDoubleClick = config->getValueBool(SettingKeys::ApplyByDoubleClick, true);
    setCursor(m_applyByDoubleClick ? Qt::ArrowCursor : Qt::PointingHandCursor);

    ui->line->hide();
    // The row is always markup: a suggestion without any tag must still show its escaped "&" as "&".
    // The placeholder goes first, as in the group's title.
    ui->labelText->clear();
    ui->labelText->setTextFormat(Qt::RichText);
}

ErrorsListItem::~ErrorsListItem()
{
    delete ui;
}

void ErrorsListItem::setText(QString itemTitle, int count, QString groupTitle, int groupIndex, int itemIndex)
{
    m_itemTitle = itemTitle;
    m_groupTitle = groupTitle;
    m_groupIndex = groupIndex;
    m_itemIndex = itemIndex;
    QString shown = itemTitle;
    if (m_textWidth > 0) {
        const QFontMetrics metrics = ui->labelText->fontMetrics();
        const int room = m_textWidth - kButtonsRoom - metrics.horizontalAdvance(QStringLiteral(" (%1)").arg(count));
        shown = metrics.elidedText(itemTitle, Qt::ElideRight, qMax(room, 0));
        setToolTip(shown == itemTitle ? QString() : itemTitle);
    }
    ui->labelText->setText(renderText(shown, count, groupTitle));
}

QString ErrorsListItem::renderText(const QString& itemTitle, int count, const QString& groupTitle)
{
    QString text;
    // The suggestion and the flagged words come from the service: they are shown, never interpreted.
    const std::list<Diff> diffs = TextDiff().diff(itemTitle.toStdU16String(), groupTitle.toStdU16String());
    for (const Diff& piece : diffs) {
        const QString escaped = QString::fromStdU16String(piece.text).toHtmlEscaped();
        switch (piece.operation) {
        case DIFF_EQUAL:
            text += QString(escaped).replace(QLatin1Char('*'), QStringLiteral("..."));
            break;
        case DIFF_DELETE:  // in the suggestion only: what the suggestion changes
            text += kRedOpen + QString(escaped).replace(QLatin1Char('*'), kStarInRed) + kSpanClose;
            break;
        case DIFF_INSERT:  // in the flagged words only: not part of the suggestion
            break;
        }
    }
    if (count >= 0)
        text += QStringLiteral(" <span style=\"color: #666666\">(%1)</span>").arg(count);
    return text;
}

void ErrorsListItem::setShowDictTip(bool show)
{
    m_showDictTip = show;
}

void ErrorsListItem::setItemEnabled(bool enable)
{
    m_applyShown = enable;
    ui->btnApply->hide();
}

void ErrorsListItem::mousePressEvent(QMouseEvent* event)
{
    // Any press on the row chooses it in single-click mode. When the press went through the text
    // label, the label's own click signal follows on release and must not apply a second time.
    const bool throughText = childAt(event->pos()) == ui->labelText;
    m_pressAppliedFromText = false;
    on_labelText_mouseLeftClick();
    m_pressAppliedFromText = throughText && !m_applyByDoubleClick;
}

void ErrorsListItem::enterEvent(QEvent* event)
{
    QWidget::enterEvent(event);
    if (m_applyShown)
        ui->btnApply->show();
    if (m_showDictTip)
        ui->btnDict->show();
}

void ErrorsListItem::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    ui->btnApply->hide();
    ui->btnDict->hide();
}

void ErrorsListItem::on_labelText_mouseLeftClick()
{
    if (m_applyByDoubleClick)
        return;
    if (m_pressAppliedFromText) {
        m_pressAppliedFromText = false;
        return;
    }
    emit apply(m_itemTitle, m_itemIndex, m_groupTitle, m_groupIndex);
}

void ErrorsListItem::on_labelText_mouseDoubleClick()
{
    if (m_applyByDoubleClick)
        emit apply(m_itemTitle, m_itemIndex, m_groupTitle, m_groupIndex);
}

void ErrorsListItem::on_btnApply_clicked()
{
    emit apply(m_itemTitle, m_itemIndex, m_groupTitle, m_groupIndex);
}

void ErrorsListItem::on_btnDict_clicked()
{
    if (CheckerClient* client = getCheckerClient())
        client->openDictUrl(m_itemTitle);
}
