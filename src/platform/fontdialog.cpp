#include "fontdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform {
namespace {

struct NamedColour
{
    const char *name;
    QRgb rgb;
};

// The sixteen colours of the home platform's font dialog.
constexpr NamedColour kColours[] = {
    {"Černá", 0x000000},       {"Kaštanová", 0x800000},  {"Zelená", 0x008000},
    {"Olivová", 0x808000},     {"Námořnická", 0x000080}, {"Purpurová", 0x800080},
    {"Modrozelená", 0x008080}, {"Šedá", 0x808080},       {"Stříbrná", 0xC0C0C0},
    {"Červená", 0xFF0000},     {"Limetková", 0x00FF00},  {"Žlutá", 0xFFFF00},
    {"Modrá", 0x0000FF},       {"Fuchsiová", 0xFF00FF},  {"Azurová", 0x00FFFF},
    {"Bílá", 0xFFFFFF},
};

} // namespace

namespace {

// A box above a list, as the home platform's font dialog has them: the
// list's choice shows in the box, and typing into the box picks the first
// entry that starts with what is typed.
QListWidget *boxAndList(QGridLayout *grid, int column, const QString &caption, const char *name,
                        QLineEdit **box)
{
    auto *label = new QLabel(caption);
    grid->addWidget(label, 0, column);
    *box = new QLineEdit;
    (*box)->setAccessibleName(caption.chopped(1));
    label->setBuddy(*box);
    grid->addWidget(*box, 1, column);
    auto *list = new QListWidget;
    list->setObjectName(QString::fromLatin1(name));
    list->setAccessibleName(caption.chopped(1));
    grid->addWidget(list, 2, column);
    QObject::connect(list, &QListWidget::currentTextChanged, *box, [box = *box](const QString &t) {
        if (!box->hasFocus())
            box->setText(t);
    });
    QObject::connect(*box, &QLineEdit::textEdited, list, [list](const QString &typed) {
        const QList<QListWidgetItem *> found = list->findItems(typed, Qt::MatchStartsWith);
        if (!found.isEmpty())
            list->setCurrentItem(found.first());
    });
    return list;
}

} // namespace

FontDialogWindow::FontDialogWindow(const FontDialog &options, QWidget *parent)
    : QDialog(parent), m_options(options)
{
    setWindowTitle(QStringLiteral("Písmo"));
    auto *grid = new QGridLayout;

    // The family, the style and the size side by side.
    m_family = boxAndList(grid, 0, QStringLiteral("Písmo:"), "Pismo", &m_familyBox);
    m_family->addItems(QFontDatabase::families());
    const QString family = QFontInfo(options.font).family();
    const QList<QListWidgetItem *> found = m_family->findItems(family, Qt::MatchFixedString);
    if (!found.isEmpty())
        m_family->setCurrentItem(found.first());
    m_familyBox->setText(family);
    m_family->setMinimumWidth(180);

    m_style = boxAndList(grid, 1, QStringLiteral("Řez písma:"), "Rez", &m_styleBox);
    m_style->addItems({QStringLiteral("Obyčejné"), QStringLiteral("Kurzíva"),
                       QStringLiteral("Tučné"), QStringLiteral("Tučná kurzíva")});
    m_style->setCurrentRow((options.font.bold() ? 2 : 0) + (options.font.italic() ? 1 : 0));
    m_style->setFixedWidth(110);
    m_styleBox->setFixedWidth(110);

    m_size = boxAndList(grid, 2, QStringLiteral("Velikost:"), "Velikost", &m_sizeBox);
    const int minSize = options.minSize > 0 ? options.minSize : 6;
    const int maxSize = options.maxSize >= minSize ? options.maxSize : 72;
    // A font given by its pixel height shows the size in points it has on
    // this screen.
    qreal points = options.font.pointSizeF();
    if (points <= 0 && options.font.pixelSize() > 0)
        points = options.font.pixelSize() * 72.0 / (parent ? parent : this)->logicalDpiY();
    const int current = qBound(minSize, qRound(points), maxSize);
    for (int size = minSize; size <= maxSize; ++size) {
        m_size->addItem(QString::number(size));
        if (size == current)
            m_size->setCurrentRow(m_size->count() - 1);
    }
    m_size->setFixedWidth(60);
    m_sizeBox->setFixedWidth(60);
    grid->setRowStretch(2, 1);

    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Storno"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 1, 3, 2, 1, Qt::AlignTop);

    // The effects and the sample below.
    auto *effects = new QGroupBox(QStringLiteral("Efekty"));
    auto *effectsLayout = new QVBoxLayout(effects);
    m_strikeOut = new QCheckBox(QStringLiteral("Přeškrtnuté"));
    m_strikeOut->setChecked(options.font.strikeOut());
    m_underline = new QCheckBox(QStringLiteral("Podtržené"));
    m_underline->setChecked(options.font.underline());
    m_colour = new QComboBox;
    int colourIndex = 0;
    for (const NamedColour &c : kColours) {
        m_colour->addItem(QString::fromUtf8(c.name), QColor(c.rgb));
        if (options.colour.isValid() && options.colour.rgb() == (c.rgb | 0xFF000000u))
            colourIndex = m_colour->count() - 1;
    }
    m_colour->setCurrentIndex(colourIndex);
    effectsLayout->addWidget(m_strikeOut);
    effectsLayout->addWidget(m_underline);
    auto *colourLabel = new QLabel(QStringLiteral("Barva:"));
    colourLabel->setBuddy(m_colour);
    m_colour->setAccessibleName(QStringLiteral("Barva"));
    effectsLayout->addWidget(colourLabel);
    effectsLayout->addWidget(m_colour);
    effects->setVisible(options.effects);
    grid->addWidget(effects, 3, 0);

    auto *sampleBox = new QGroupBox(QStringLiteral("Ukázka"));
    auto *sampleLayout = new QVBoxLayout(sampleBox);
    m_sample = new QLabel(QStringLiteral("AaBbŽžČč"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(60);
    // The sample shows the chosen colour on the home platform's face, as
    // the text will show it on the program's light grounds.
    m_sample->setAutoFillBackground(true);
    QPalette ground = m_sample->palette();
    ground.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    m_sample->setPalette(ground);
    sampleLayout->addWidget(m_sample);
    grid->addWidget(sampleBox, 3, 1, 1, 2);
    setLayout(grid);

    for (QCheckBox *box : {m_underline, m_strikeOut})
        connect(box, &QCheckBox::toggled, this, &FontDialogWindow::updateSample);
    for (QListWidget *list : {m_family, m_style, m_size})
        connect(list, &QListWidget::currentRowChanged, this, &FontDialogWindow::updateSample);
    connect(m_colour, &QComboBox::currentIndexChanged, this, &FontDialogWindow::updateSample);
    m_shownFamily = m_family->currentItem() ? m_family->currentItem()->text() : QString();
    // A size outside the range shows as the nearest one allowed, and that is
    // the size chosen.
    if (current == qRound(points))
        m_shownSizeRow = m_size->currentRow();
    m_shownColourIndex = m_colour->currentIndex();
    for (QListWidget *list : {m_family, m_style, m_size}) {
        if (QListWidgetItem *item = list->currentItem())
            list->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    }
    m_styleBox->setText(m_style->currentItem()->text());
    if (m_size->currentItem())
        m_sizeBox->setText(m_size->currentItem()->text());
    updateSample();
}

QList<int> FontDialogWindow::sizes() const
{
    QList<int> out;
    for (int i = 0; i < m_size->count(); ++i)
        out << m_size->item(i)->text().toInt();
    return out;
}

FontChoice FontDialogWindow::choice() const
{
    QFont font = m_options.font;
    if (QListWidgetItem *item = m_family->currentItem(); item && item->text() != m_shownFamily)
        font.setFamily(item->text());
    if (QListWidgetItem *item = m_size->currentItem();
        item && m_size->currentRow() != m_shownSizeRow)
        font.setPointSize(item->text().toInt());
    font.setBold(m_style->currentRow() >= 2);
    font.setItalic(m_style->currentRow() % 2 == 1);
    QColor colour = m_options.colour;
    if (m_options.effects) {
        font.setUnderline(m_underline->isChecked());
        font.setStrikeOut(m_strikeOut->isChecked());
        if (m_colour->currentIndex() != m_shownColourIndex || !colour.isValid())
            colour = m_colour->currentData().value<QColor>();
    }
    return FontChoice{font, colour};
}

void FontDialogWindow::updateSample()
{
    const FontChoice c = choice();
    m_sample->setFont(c.font);
    QPalette palette = m_sample->palette();
    palette.setColor(QPalette::WindowText, c.colour.isValid() ? c.colour : QColor(Qt::black));
    m_sample->setPalette(palette);
}

} // namespace platform
