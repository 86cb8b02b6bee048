// A Qt program of ours on the accessibility bus: a text edit, a line edit and a password line edit.
// It prints each field's screen geometry once shown, one line each: "<field> x y width height".
//   atspi_qtfixture <title> <text> <field to focus: edit|line|password>
#include <QApplication>
#include <QLineEdit>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

namespace {
void printGeometry(const char* name, const QWidget* widget)
{
    const QPoint corner = widget->mapToGlobal(QPoint(0, 0));
    std::printf("%s %d %d %d %d\n", name, corner.x(), corner.y(), widget->width(), widget->height());
}
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    QWidget window;
    window.setWindowTitle(args[1]);
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QTextEdit;
    edit->setPlainText(args[2]);
    auto* line = new QLineEdit(args[2].section(QLatin1Char('\n'), 0, 0));
    auto* password = new QLineEdit;
    password->setEchoMode(QLineEdit::Password);
    layout->addWidget(edit);
    layout->addWidget(line);
    layout->addWidget(password);
    window.resize(400, 300);
    window.show();
    QWidget* focus = args[3] == QLatin1String("line") ? static_cast<QWidget*>(line)
                     : args[3] == QLatin1String("password") ? static_cast<QWidget*>(password)
                                                            : edit;
    focus->setFocus();
    QTimer::singleShot(300, [&] {
        printGeometry("edit", edit);
        printGeometry("line", line);
        printGeometry("password", password);
        std::fflush(stdout);
    });
    return app.exec();
}
