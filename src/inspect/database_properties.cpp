#include "inspect/database_properties.h"

#include "inspect/code_view.h"
#include "inspect/value_tables.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace strovex {
namespace {

QLineEdit *readOnlyField(QWidget *parent, const char *name)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
    return field;
}

QLabel *caption(QWidget *parent, const char *text, QWidget *buddy)
{
    auto *label = new QLabel(QString::fromUtf8(text), parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TfrmDatabaseProperties::TfrmDatabaseProperties(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDatabaseProperties"));
    setWindowTitle(QStringLiteral("Database Properties"));
    setFixedSize(645, 397);

    auto *grid = new QGridLayout(this);
    struct Field {
        const char *name;
        const char *caption;
        int row;
        int column;
    };
    // Captions beside their fields, two to a row, to leave the height to the SQL.
    const Field fields[] = {
        {"edtName", "&Name:", 0, 0},
        {"edtTableName", "&Table name:", 0, 2},
        {"edtDescription", "&Description:", 1, 0},
        {"edtDriverType", "Driver t&ype:", 1, 2},
        {"edtInputVariables", "&Input variables:", 2, 0},
        {"edtOutputVariables", "&Output variables:", 2, 2},
        {"edtNavigation", "Navi&gation:", 3, 0},
        {"edtOrderField", "&Order field:", 3, 2},
        {"edtLevel", "&Level:", 4, 0},
    };
    for (const Field &f : fields) {
        QLineEdit *edit = readOnlyField(this, f.name);
        grid->addWidget(caption(this, f.caption, edit), f.row, f.column);
        grid->addWidget(edit, f.row, f.column + 1);
    }
    auto *isUsed = new QCheckBox(QStringLiteral("Is used"), this);
    isUsed->setObjectName(QStringLiteral("chbIsUsed"));
    isUsed->setEnabled(false);
    grid->addWidget(isUsed, 4, 3);

    auto *sql = new CodeView(this);
    sql->setObjectName(QStringLiteral("smSQL"));
    sql->setReadOnly(true);
    sql->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sql->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Without scroll bars, long lines wrap and the keyboard cursor reaches what
    // lies below the box.
    sql->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    sql->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    sql->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    new SqlHighlighter(sql->document());
    grid->addWidget(caption(this, "&SQL:", sql), 5, 0, 1, 4);
    grid->addWidget(sql, 6, 0, 1, 4);

    auto *connection = new QPlainTextEdit(this);
    connection->setObjectName(QStringLiteral("memConnectionString"));
    connection->setReadOnly(true);
    grid->addWidget(caption(this, "&Connection string:", connection), 7, 0, 1, 4);
    grid->addWidget(connection, 8, 0, 1, 4);

    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(close, 9, 3, Qt::AlignRight);
    grid->setRowStretch(6, 3);
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

void TfrmDatabaseProperties::fill(const TDatabaseRow &row)
{
    const auto set = [this](const char *name, const QString &text) {
        findChild<QLineEdit *>(QLatin1String(name))->setText(text);
    };
    set("edtName", row.Name);
    set("edtTableName", row.TableName);
    set("edtDescription", row.Description);
    set("edtInputVariables", row.InputVariables);
    set("edtOutputVariables", row.OutputVariables);
    set("edtDriverType", row.DriverType);
    set("edtNavigation", row.Navigation);
    set("edtOrderField", row.OrderField);
    findChild<QCheckBox *>(QStringLiteral("chbIsUsed"))->setChecked(row.IsUsed);
    findChild<QPlainTextEdit *>(QStringLiteral("smSQL"))->setPlainText(row.SQL);
    findChild<QPlainTextEdit *>(QStringLiteral("memConnectionString"))->setPlainText(row.ConnectionString);
}

} // namespace strovex
