#include "ExcelChartView.h"

#include "platform/widgets/AccentColors.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Popup.h"
#include "platform/widgets/TextStyles.h"
#include "platform/widgets/SymbolIcon.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using TextStyles::Tone;

namespace {

constexpr int resultHeight = 220;

QWidget *centredPage(QWidget *parent, const QList<QWidget *> &items)
{
    auto *page = new QWidget(parent);
    auto *layout = new QVBoxLayout(page);
    layout->addStretch();
    for (QWidget *item : items)
        layout->addWidget(item, 0, Qt::AlignHCenter);
    layout->addStretch();
    return page;
}

} // namespace

ExcelChartView::ExcelChartView(ExcelDocument *document, QWidget *parent)
    : QFrame(nullptr)
    , m_document(document)
{
    QVBoxLayout *layout = Popup::setUp(this, parent, 15);
    setFixedSize(550, 380);
    layout->addWidget(TextStyles::label(QStringLiteral("グラフ作成"), TextStyle::Title3, this), 0,
                      Qt::AlignHCenter);
    layout->addLayout(createControls());
    layout->addWidget(Controls::divider(this));
    layout->addWidget(createResultArea());
    layout->addLayout(createCloseRow());
    showResult();
}

QString ExcelChartView::emptyText()
{
    return QStringLiteral("データがありません。範囲を指定して生成してください。");
}

QLayout *ExcelChartView::createControls()
{
    auto *row = new QHBoxLayout;
    row->setSpacing(15);
    row->setContentsMargins(16, 0, 16, 0);

    auto *rangeGroup = new QHBoxLayout;
    rangeGroup->addWidget(TextStyles::label(QStringLiteral("範囲:"), TextStyle::Body, this));
    m_rangeField = new QLineEdit(this);
    m_rangeField->setPlaceholderText(QStringLiteral("例: A1:B5"));
    m_rangeField->setFixedWidth(100);
    connect(m_rangeField, &QLineEdit::textEdited, this, &ExcelChartView::rangeTextChanged);
    rangeGroup->addWidget(m_rangeField);
    row->addLayout(rangeGroup);

    auto *typeGroup = new QHBoxLayout;
    typeGroup->setSpacing(0);
    typeGroup->addWidget(TextStyles::label(QStringLiteral("グラフ種類:"), TextStyle::Body, this));
    typeGroup->addSpacing(6);
    auto *group = new QButtonGroup(this);
    for (const ChartType type : allChartTypes) {
        auto *button = new QPushButton(chartTypeText(type), this);
        button->setCheckable(true);
        button->setFixedWidth(90);
        group->addButton(button);
        typeGroup->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, type] { setChartType(type); });
        m_typeButtons[int(type)] = button;
    }
    m_typeButtons[int(ChartType::Bar)]->setChecked(true);
    row->addLayout(typeGroup);

    m_regenerateButton = new QPushButton(QStringLiteral("再生成"), this);
    Controls::makeProminent(m_regenerateButton);
    connect(m_regenerateButton, &QPushButton::clicked, this, &ExcelChartView::generateChart);
    row->addWidget(m_regenerateButton);
    return row;
}

QWidget *ExcelChartView::createResultArea()
{
    m_results = new QStackedWidget(this);
    m_results->setFixedHeight(resultHeight);

    auto *icon = new QLabel(this);
    icon->setPixmap(SymbolIcon::pixmap(QStringLiteral("exclamationmark.triangle"), QColor(0xFF, 0x95, 0x00), 32));
    icon->setContentsMargins(0, 0, 0, 5);
    m_errorLabel = TextStyles::label(QString(), TextStyle::Body, this);
    QPalette red = m_errorLabel->palette();
    red.setColor(QPalette::WindowText, AccentColors::red());
    m_errorLabel->setPalette(red);
    m_results->addWidget(centredPage(m_results, {icon, m_errorLabel}));

    m_results->addWidget(centredPage(
        m_results, {TextStyles::label(emptyText(), TextStyle::Body, this, Tone::Secondary)}));

    m_canvas = new ExcelChartCanvas(m_results);
    m_results->addWidget(m_canvas);
    return m_results;
}

QLayout *ExcelChartView::createCloseRow()
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    m_closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    connect(m_closeButton, &QPushButton::clicked, this, &ExcelChartView::hide);
    row->addWidget(m_closeButton);
    return row;
}

void ExcelChartView::popup(QWidget *anchor, const QString &rangeText)
{
    m_data = ChartData();
    setChartType(ChartType::Bar);
    setRangeText(rangeText);
    generateChart();
    Popup::show(this, anchor, Popup::Placement::Centred);
    m_rangeField->setFocus(Qt::PopupFocusReason);
}

QString ExcelChartView::rangeText() const
{
    return m_rangeField->text();
}

void ExcelChartView::setRangeText(const QString &text)
{
    m_rangeField->setText(text);
}

void ExcelChartView::setChartType(ChartType type)
{
    m_type = type;
    m_typeButtons[int(type)]->setChecked(true);
    if (result() == Result::Chart)
        m_canvas->setData(m_data, m_type);
}

QPushButton *ExcelChartView::typeButton(ChartType type) const
{
    return m_typeButtons[int(type)];
}

void ExcelChartView::generateChart()
{
    m_data = ChartData::fromRange(*m_document, rangeText());
    showResult();
}

ExcelChartView::Result ExcelChartView::result() const
{
    if (!m_data.errorMessage().isEmpty())
        return Result::Error;
    return m_data.isEmpty() ? Result::Empty : Result::Chart;
}

QString ExcelChartView::errorText() const
{
    return m_data.errorMessage();
}

void ExcelChartView::showResult()
{
    const Result shown = result();
    m_errorLabel->setText(m_data.errorMessage());
    m_results->setCurrentIndex(int(shown));
    if (shown == Result::Chart)
        m_canvas->setData(m_data, m_type);
}

void ExcelChartView::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    emit closed();
}
