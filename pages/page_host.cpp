#include "pages/page_host.h"

#include <QGuiApplication>
#include <QScreen>

namespace vts {

namespace {

void centre(QWidget* w) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        w->move(screen->availableGeometry().center() - w->rect().center());
}

}  // namespace

PageHost::PageHost(AppContext& ctx, PageState& state, Form3Services exporters, std::function<void()> showForm1)
    : ctx_(ctx), state_(state), exporters_(std::move(exporters)), showForm1_(std::move(showForm1)) {}

PageHost::~PageHost() = default;

Form2& PageHost::showForm2() {
    if (!form2_) {
        form2_ = std::make_unique<Form2>(ctx_, state_,
                                         Form2Services{showForm1_, [this]() -> Form3& { return showForm3(); }});
        centre(form2_.get());
        form2_->show();
        form2_->Form_Load();
    } else {
        form2_->Form_Activate();
    }
    form2_->show();
    form2_->raise();
    return *form2_;
}

Form3& PageHost::showForm3() {
    if (!form3_) {
        Form3Services services = exporters_;
        services.showForm2 = [this] { showForm2(); };
        form3_ = std::make_unique<Form3>(ctx_, state_, services);
        centre(form3_.get());
        form3_->Form_Load();
    }
    form3_->show();
    form3_->raise();
    return *form3_;
}

}  // namespace vts
