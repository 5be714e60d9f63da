#include "guiex/message_box.h"

#include "guiex/strings.h"

#include <QMessageBox>

namespace COM_GUI_EX {

namespace {

constexpr unsigned kTitleStringId = 1050;

}  // namespace

void ShowMessage(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, LoadString(kTitleStringId), text);
}

void ShowWarning(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, LoadString(kTitleStringId), text);
}

void OpenWarning(QWidget* parent, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Warning, LoadString(kTitleStringId), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace COM_GUI_EX
