#include "ui/frm_email.hpp"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include "core/kve_code.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "ui/picture_button.hpp"
#include "ui/twips.hpp"
#include "ui/wait_cursor.hpp"

namespace {

const QString Title = QStringLiteral("eMail");

} // namespace

std::function<void()>& frmeMail::beeper()
{
    static std::function<void()> beep = [] { QApplication::beep(); };
    return beep;
}

frmeMail::frmeMail(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmeMail"));
    setWindowTitle(Title);
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Contacts"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    eMailList = new QListWidget(this);
    eMailList->setObjectName(QStringLiteral("eMailList"));
    eMailList->setSelectionMode(QAbstractItemView::MultiSelection);
    lblUnreadable = new QLabel(this);
    lblUnreadable->setObjectName(QStringLiteral("lblUnreadable"));
    lblUnreadable->setWordWrap(true);
    lblUnreadable->hide();
    Check2 = new QCheckBox(QStringLiteral("Select ALL eMails?"), this);
    Check2->setObjectName(QStringLiteral("Check2"));
    Check1 = new QCheckBox(QStringLiteral("Save eMails before close"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setChecked(true);
    Command2 = pictureButton(this, "Command2", "edit-delete", QStyle::SP_TrashIcon, QStringLiteral("Remove"),
                             QStringLiteral("Remove selected items"));
    Command1 = pictureButton(this, "Command1", "document-open", QStyle::SP_DialogOpenButton, QStringLiteral("Import"),
                             QStringLiteral("Import from a vCard or CSV file"));
    cmdOK = pictureButton(this, "cmdOK", "go-previous", QStyle::SP_ArrowBack, QStringLiteral("Return"),
                          QStringLiteral("Return"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 4);
    grid->addWidget(eMailList, 1, 0, 1, 4);
    grid->addWidget(lblUnreadable, 2, 0, 1, 4);
    grid->addWidget(Check2, 3, 0);
    grid->addWidget(Check1, 4, 0);
    grid->addWidget(Command2, 3, 1, 2, 1);
    grid->addWidget(Command1, 3, 2, 2, 1);
    grid->addWidget(cmdOK, 3, 3, 2, 1);
    grid->setRowStretch(1, 1);
    resize(twips(5655), twips(5760));

    connect(Check2, &QCheckBox::toggled, this, &frmeMail::Check2_Click);
    connect(Command2, &QPushButton::clicked, this, &frmeMail::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmeMail::Command1_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmeMail::cmdOK_Click);

    Form_Load();
}

void frmeMail::Form_Load()
{
    WaitCursor wait;
    ProgramState& state = programState();
    state.SelectedAddresses.clear();
    eMailList->clear();
    m_file = Contacts::FilePath(state.DocumentsFolder);
    m_read = Contacts::Read(m_file);
    m_readFailed = !m_read.error.isEmpty();
    eMailList->addItems(m_read.entries);
    for (int i = 0; i < m_read.duplicates; ++i)
        beeper()();
    setCountLabel();
    lblUnreadable->setText(Contacts::UnreadableCaption(m_read.unreadable.size()));
    lblUnreadable->setVisible(!m_read.unreadable.isEmpty());
    if (m_readFailed) {
        NormalCursor normal;
        Platform::message(QStringLiteral("The contacts file could not be read; it will not be changed.\r\n") + m_read.error,
                          MsgButtons::Ok, MsgIcon::Exclamation, Title);
    }
}

void frmeMail::Check2_Click()
{
    WaitCursor wait;
    const bool mark = Check2->isChecked();
    for (int i = 0; i < eMailList->count(); ++i)
        eMailList->item(i)->setSelected(mark);
}

void frmeMail::Command2_Click()
{
    if (Platform::message(QStringLiteral("Do you want to remove the marked items?"), MsgButtons::YesNo,
                          MsgIcon::Question, Title)
        == MsgAnswer::Yes) {
        for (int i = eMailList->count() - 1; i >= 0; --i)
            if (eMailList->item(i)->isSelected())
                delete eMailList->takeItem(i);
    }
    setCountLabel();
}

void frmeMail::cmdOK_Click()
{
    QStringList marked;
    for (int i = 0; i < eMailList->count(); ++i)
        if (eMailList->item(i)->isSelected())
            marked << eMailList->item(i)->text();
    programState().SelectedAddresses = marked.join(QStringLiteral("; "));

    if (Check1->isChecked() && !m_readFailed && KVECode::FileExists(m_file)) {
        const QString why = Contacts::Write(m_file, entries(), m_read);
        if (!why.isEmpty())
            Platform::message(QStringLiteral("The contacts could not be saved; the file stays as it was.\r\n") + why,
                              MsgButtons::Ok, MsgIcon::Exclamation, Title);
    }
    accept();
}

void frmeMail::Command1_Click()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Import contacts");
    request.filter = QStringLiteral("Contact Files (*.vcf;*.csv)|*.vcf;*.csv|vCard Files (*.vcf)|*.vcf|"
                                    "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*");
    request.initialFolder = programState().DocumentsFolder;
    const QString path = Platform::fileDialogs().choose(request);
    if (path.isEmpty())
        return;

    WaitCursor wait;
    const Contacts::ImportResult imported = Contacts::ReadImportFile(path);
    if (!imported.error.isEmpty()) {
        NormalCursor normal;
        Platform::message(QStringLiteral("Could not find default contacts folder\r\n") + imported.error,
                          MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Outlook eMail Contacts"));
        return;
    }
    Contacts::EntryIndex index(entries());
    const qint64 n = imported.contacts.size();
    qint64 i = 0;
    for (const Contacts::ImportedContact& contact : imported.contacts) {
        ++i;
        const QString entry = Contacts::Entry(contact);
        setWindowTitle(QStringLiteral("eMail (Imported ") + Contacts::ImportProgress(i, n) + QLatin1Char(')'));
        if (!contact.email.isEmpty() && !index.holdsImport(entry, contact.email)) {
            eMailList->addItem(entry);
            index.add(entry);
        }
    }
    setCountLabel();
    setWindowTitle(Title);
    if (imported.refused > 0) {
        NormalCursor normal;
        Platform::message(QStringLiteral("%1 contacts were not imported: their name or address holds a line break "
                                         "or another control character.")
                              .arg(imported.refused),
                          MsgButtons::Ok, MsgIcon::Exclamation, Title);
    }
}

void frmeMail::setCountLabel()
{
    Label1->setText(Contacts::CountCaption(eMailList->count()));
}

QStringList frmeMail::entries() const
{
    QStringList all;
    for (int i = 0; i < eMailList->count(); ++i)
        all << eMailList->item(i)->text();
    return all;
}
