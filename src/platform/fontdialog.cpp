#include "fontdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
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

FontDialogWindow::FontDialogWindow(const FontDialog &options, QWidget *parent)
    : QDialog(parent), m_options(options)
{
    setWindowTitle(QStringLiteral("Písmo"));
    auto *grid = new QGridLayout;

    // Each box is named by its label, for a screen reader.
    auto *familyLabel = new QLabel(QStringLiteral("Písmo:"));
    grid->addWidget(familyLabel, 0, 0);
    m_family = new QFontComboBox;
    m_family->setCurrentFont(options.font);
    familyLabel->setBuddy(m_family);
    m_family->setAccessibleName(QStringLiteral("Písmo"));
    grid->addWidget(m_family, 1, 0, Qt::AlignTop);

    grid->addWidget(new QLabel(QStringLiteral("Řez:")), 0, 1);
    auto *style = new QVBoxLayout;
    m_bold = new QCheckBox(QStringLiteral("Tučné"));
    m_bold->setChecked(options.font.bold());
    m_italic = new QCheckBox(QStringLiteral("Kurzíva"));
    m_italic->setChecked(options.font.italic());
    style->addWidget(m_bold);
    style->addWidget(m_italic);
    style->addStretch();
    grid->addLayout(style, 1, 1);

    auto *sizeLabel = new QLabel(QStringLiteral("Velikost:"));
    grid->addWidget(sizeLabel, 0, 2);
    m_size = new QListWidget;
    sizeLabel->setBuddy(m_size);
    m_size->setAccessibleName(QStringLiteral("Velikost"));
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
    grid->addWidget(m_size, 1, 2);

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
    grid->addWidget(effects, 2, 0);

    auto *sampleBox = new QGroupBox(QStringLiteral("Ukázka"));
    auto *sampleLayout = new QVBoxLayout(sampleBox);
    m_sample = new QLabel(QStringLiteral("AaBbŽžČč"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(40);
    // The sample shows the chosen colour on the home platform's face, as
    // the text will show it on the program's light grounds.
    m_sample->setAutoFillBackground(true);
    QPalette ground = m_sample->palette();
    ground.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    m_sample->setPalette(ground);
    sampleLayout->addWidget(m_sample);
    grid->addWidget(sampleBox, 2, 1, 1, 2);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Storno"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 3, 0, 1, 3);
    setLayout(grid);

    for (QCheckBox *box : {m_bold, m_italic, m_underline, m_strikeOut})
        connect(box, &QCheckBox::toggled, this, &FontDialogWindow::updateSample);
    connect(m_family, &QFontComboBox::currentFontChanged, this, &FontDialogWindow::updateSample);
    connect(m_size, &QListWidget::currentRowChanged, this, &FontDialogWindow::updateSample);
    connect(m_colour, &QComboBox::currentIndexChanged, this, &FontDialogWindow::updateSample);
    m_shownFamily = m_family->currentFont().family();
    // A size outside the range shows as the nearest one allowed, and that is
    // the size chosen.
    if (current == qRound(points))
        m_shownSizeRow = m_size->currentRow();
    m_shownColourIndex = m_colour->currentIndex();
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
    if (const QString family = m_family->currentFont().family(); family != m_shownFamily)
        font.setFamily(family);
    if (QListWidgetItem *item = m_size->currentItem();
        item && m_size->currentRow() != m_shownSizeRow)
        font.setPointSize(item->text().toInt());
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
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
