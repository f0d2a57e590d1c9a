#include "console/EcuVariantSelector.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <algorithm>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVariant>

#include "console/EcuVariantTable.h"
#include "console/FontFit.h"

namespace {

const char* const kMarked = "marked";

}  // namespace

EcuVariantSelector::EcuVariantSelector(QToolBar* toolBar, QLineEdit* romVersion, QObject* parent)
    : QObject(parent), romVersion_(romVersion) {
    // The mark greys the caption only: the button stays clickable and gives its ROM version
    // back when clicked again.
    toolBar->setStyleSheet(QStringLiteral("QToolButton[marked=\"true\"] { color: palette(mid); }"));
    constexpr int kButtonWidth = 118;
    constexpr int kPadding = 8;
    const QFont font = FittingFont(
        toolBar->font(),
        [](const QFont& f) {
            const QFontMetrics metrics(f);
            int widest = 0;
            for (const EcuVariantInfo& info : EcuVariants()) {
                widest = std::max(widest, metrics.horizontalAdvance(info.caption));
            }
            return widest;
        },
        kButtonWidth - kPadding);
    for (const EcuVariantInfo& info : EcuVariants()) {
        auto* button = new QToolButton(toolBar);
        button->setFont(font);
        button->setObjectName(QString::fromLatin1(ShortName(info.variant)));
        button->setText(info.caption);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoRaise(true);
        button->setCheckable(false);
        button->setFixedSize(kButtonWidth, 21);
        toolBar->addWidget(button);
        buttons_[static_cast<std::size_t>(info.variant)] = button;
        const EcuVariant variant = info.variant;
        connect(button, &QToolButton::clicked, this, [this, variant] { SelectEcuVariant(variant); });
    }
}

QToolButton* EcuVariantSelector::Button(EcuVariant variant) const {
    return buttons_[static_cast<std::size_t>(variant)];
}

bool EcuVariantSelector::Marked(EcuVariant variant) const {
    return Button(variant)->property(kMarked).toBool();
}

void EcuVariantSelector::SelectEcuVariant(EcuVariant variant) {
    romVersion_->setText(EcuVariantInfoOf(variant).romVersion);
    current_ = variant;
    for (const EcuVariantInfo& info : EcuVariants()) {
        QToolButton* button = Button(info.variant);
        button->setProperty(kMarked, info.variant == variant);
        // A dynamic property needs the style polished again to show.
        button->style()->unpolish(button);
        button->style()->polish(button);
    }
    emit VariantSelected(variant);
}
