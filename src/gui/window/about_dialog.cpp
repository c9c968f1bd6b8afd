// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/version.h"
#include "gui/window/connection_images.h"
#include "gui/window/main_window.h"

namespace tavrin::gui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("aboutDialog");
  setWindowTitle(tr("About"));
  auto* icon = new QLabel;
  icon->setPixmap(ProgramIcon().pixmap(32, 32));
  auto* name = new QLabel(QString::fromUtf8(kProgramCaption));
  name->setObjectName("aboutText");
  auto* build =
      new QLabel(tr("Version %1\nQt %2")
                     .arg(QString::fromUtf8(kVersionAndBuild), QString::fromUtf8(qVersion())));
  build->setObjectName("buildText");
  build->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* licence = new QLabel(
      tr("Free software under the GNU General Public License, version 3 or later "
         "(<a href=\"https://www.gnu.org/licenses/gpl-3.0.html\">GPL-3.0-or-later</a>): you may "
         "copy, change and pass it on under its terms. It comes with NO WARRANTY."));
  licence->setObjectName("licenceText");
  licence->setWordWrap(true);
  licence->setTextFormat(Qt::RichText);
  licence->setOpenExternalLinks(true);
  auto* ok = new QPushButton(tr("OK"));
  ok->setObjectName("ok");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(name, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(build);
  layout->addWidget(licence);
  layout->addWidget(ok, 0, Qt::AlignRight);
}

}  // namespace tavrin::gui
