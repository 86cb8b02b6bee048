#include "modalbox.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {
ModalBoxHandler& currentHandler()
{
    static ModalBoxHandler handler;
    return handler;
}
}

void setModalBoxHandler(ModalBoxHandler handler)
{
    currentHandler() = std::move(handler);
}

int runModalBox(QMessageBox& box)
{
    if (const ModalBoxHandler& handler = currentHandler())
        return handler(box);
    return box.exec();
}

void widenBox(QMessageBox& box)
{
    box.setStyleSheet(QStringLiteral("QLabel{min-height: 60px;}"));
    auto* spacer = new QSpacerItem(250, 0, QSizePolicy::Minimum, QSizePolicy::Expanding);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(spacer, grid->rowCount(), 0, 1, grid->columnCount());
    else
        delete spacer;
}
