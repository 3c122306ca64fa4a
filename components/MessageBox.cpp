#include "components/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageBox::show(const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
