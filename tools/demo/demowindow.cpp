#include "demowindow.h"

#include <algorithm>

#include <QCloseEvent>
#include <QTimer>

#include "editorbinding.h"
#include "pagedtextedit.h"
#include "ui_demowindow.h"

DemoWindow::DemoWindow(sim::WordDocId document, QWidget* parent) : QWidget(parent), ui(new Ui::DemoWindow), doc(document)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font = ui->plainTextEdit->font();
    font.setPointSize(font.pointSize() + 3);
    ui->plainTextEdit->setFont(font);
    binding = new EditorBinding(ui->plainTextEdit, doc, this);
    ui->plainTextEdit->setPageStarts(sim::wordPageStarts(doc));
    setWindowTitle(tr("%1 - simulated word processor")
                       .arg(QString::fromStdU16String(sim::wordDocumentName(doc))));
    // Saving, printing and closing finish once the word processor's listeners had their say.
    auto* follow = new QTimer(this);
    connect(follow, &QTimer::timeout, this, &DemoWindow::followDocument);
    follow->start(100);
}

DemoWindow::~DemoWindow()
{
    delete binding;
    delete ui;
}

QPlainTextEdit* DemoWindow::editor() const
{
    return ui->plainTextEdit;
}

void DemoWindow::showStatus(const QString& text)
{
    ui->labelStatus->setText(text);
}

void DemoWindow::closeEvent(QCloseEvent* event)
{
    // The window stays until the document has closed (a listener may still cancel).
    if (sim::wordDocumentOpen(doc)) {
        sim::closeWordDocument(doc);
        event->ignore();
        return;
    }
    event->accept();
}

void DemoWindow::on_pushButtonSave_clicked()
{
    sim::saveWordDocument(doc);
}

void DemoWindow::on_pushButtonPrint_clicked()
{
    sim::printWordDocument(doc);
}

void DemoWindow::on_pushButtonClose_clicked()
{
    close();
}

void DemoWindow::on_pushButtonNew_clicked()
{
    emit newDocumentRequested();
}

void DemoWindow::followDocument()
{
    if (!sim::wordDocumentOpen(doc)) {
        close();
        return;
    }
    // The editor draws where each page ends; the bar tells which page the caret is on.
    const std::vector<int> starts = sim::wordPageStarts(doc);
    ui->plainTextEdit->setPageStarts(starts);
    const int caret = sim::wordSelection(doc).second;
    const int page = 1 + static_cast<int>(std::count_if(starts.begin(), starts.end(), [caret](int s) { return s <= caret; }));
    ui->labelPage->setText(tr("Page %1 of %2").arg(page).arg(starts.size() + 1));
    const sim::WordSnapshot saved = sim::lastSave(doc);
    const sim::WordSnapshot printed = sim::lastPrint(doc);
    if (saved.count == saves && printed.count == prints)
        return;
    saves = saved.count;
    prints = printed.count;
    showStatus(tr("Saved %1 times (underlined stretches in the file: %2), printed %3 times (underlined: %4)")
                   .arg(saves)
                   .arg(saved.runs.size())
                   .arg(prints)
                   .arg(printed.runs.size()));
}
