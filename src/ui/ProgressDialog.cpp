#include "ui/ProgressDialog.h"

#include "convert/job/ConversionTexts.h"
#include "ui/FileDropTarget.h"
#include "ui/WindowTexts.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QLabel *makeLine(QWidget *parent, const QString &name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

ProgressDialog::ProgressDialog(QWidget *window, const QString &name)
    : QDialog(window), m_count(makeLine(this, QStringLiteral("count"))),
      m_bar(new QProgressBar(this)), m_fileName(makeLine(this, QStringLiteral("fileName"))),
      m_waiting(makeLine(this, QStringLiteral("waiting")))
{
    setObjectName(name);
    setWindowTitle(ConversionTexts::kBatchProgressTitle);
    // A dialog of its own that stays in front of the window without holding
    // it: a modal one would turn every drag onto the window away, and the
    // window's instruction stands for the whole window. Shown without taking
    // the keys from the window, whose menu shortcuts go on working.
    setWindowModality(Qt::NonModal);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_bar->setObjectName(QStringLiteral("bar"));
    m_bar->setTextVisible(false);
    m_count->hide();
    m_waiting->hide();
    auto *cancelButton = new QPushButton(WindowTexts::kCancelButton, this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_count);
    layout->addWidget(m_bar);
    layout->addWidget(m_fileName);
    layout->addWidget(m_waiting);
    layout->addWidget(cancelButton, 0, Qt::AlignRight);
    setMinimumWidth(340);

    connect(new FileDropTarget(this), &FileDropTarget::filesDropped, this,
            &ProgressDialog::filesDropped);
    connect(cancelButton, &QPushButton::clicked, this, &ProgressDialog::cancelled);
    connect(this, &QDialog::rejected, this, &ProgressDialog::cancelled);
}

void ProgressDialog::setCount(const QString &text)
{
    m_count->setText(text);
    m_count->setVisible(!text.isEmpty());
}

void ProgressDialog::setProgress(int done, int total)
{
    m_bar->setRange(0, total);
    m_bar->setValue(std::min(done, total));
}

void ProgressDialog::setFileName(const QString &name)
{
    m_fileName->setText(name);
}

void ProgressDialog::setWaiting(int files)
{
    m_waiting->setText(files > 0 ? WindowTexts::Counted(WindowTexts::kFilesWaiting, files)
                                 : QString());
    m_waiting->setVisible(files > 0);
}
