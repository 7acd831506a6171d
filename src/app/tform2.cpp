#include "app/tform2.h"

#include <QMouseEvent>
#include <QPushButton>

#include "app/dialogs.h"
#include "app/fonts.h"
#include "app/form/about.h"
#include "app/form/form_dialogs.h"
#include "app/form_layout.h"

namespace vexa {

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
  QLabel::mouseReleaseEvent(event);
}

namespace {

template <class Label>
Label* makeLabel(QWidget* parent, const char* name, const form::Rect& geometry, const QString& text,
                 int pixelSize, bool autoSize) {
  auto* label = new Label(parent);
  label->setObjectName(QLatin1String(name));
  label->setFont(aboutFont(pixelSize));
  label->setText(text);
  label->setGeometry(toQRect(geometry));
  if (autoSize) {
    // The designed labels size themselves to their text.
    label->adjustSize();
  }
  return label;
}

void makeLink(ClickableLabel* label) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::blue);
  label->setPalette(palette);
  label->setCursor(Qt::PointingHandCursor);
}

}  // namespace

TForm2::TForm2(UserDialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QString::fromUtf8(form::kAboutCaption));
  setFont(formFont());
  setFixedSize(layout::kAboutClientWidth, layout::kAboutClientHeight);

  Label1 = makeLabel<QLabel>(this, "Label1", layout::AboutLabel1,
                             QString::fromUtf8(form::kAboutTitleLine), 16, true);
  Label2 = makeLabel<QLabel>(this, "Label2", layout::AboutLabel2,
                             QString::fromUtf8(form::kAboutDescription), 13, false);
  Label2->setWordWrap(true);
  Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label4 = makeLabel<QLabel>(this, "Label4", layout::AboutLabel4,
                             QString::fromUtf8(form::kMakerName), 13, true);
  Label3 = makeLabel<QLabel>(this, "Label3", layout::AboutLabel3,
                             QString::fromUtf8(form::kAboutDate), 13, true);
  Label5 = makeLabel<ClickableLabel>(this, "Label5", layout::AboutLabel5,
                                     QString::fromUtf8(form::kMakerWeb), 13, true);
  Label6 = makeLabel<ClickableLabel>(this, "Label6", layout::AboutLabel6,
                                     QString::fromUtf8(form::kMakerMail), 13, true);
  Label6->setToolTip(QString::fromUtf8(form::kMakerMail));
  makeLink(Label5);
  makeLink(Label6);

  Button1 = new QPushButton(QString::fromUtf8(form::kAboutOk), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(toQRect(layout::AboutButton1));
  Button1->setDefault(true);
  Button1->setFocus();

  connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
  connect(Label5, &ClickableLabel::clicked, this, &TForm2::Label5Click);
  connect(Label6, &ClickableLabel::clicked, this, &TForm2::Label6Click);
}

void TForm2::Button1Click() {
  accept();
}

void TForm2::Label5Click() {
  dialogs_.openUrl(QString::fromUtf8(form::kMakerWeb));
}

void TForm2::Label6Click() {
  dialogs_.openUrl(QStringLiteral("mailto:") + QString::fromUtf8(form::kMakerMail));
}

}  // namespace vexa
