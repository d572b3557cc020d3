// Loads each page the first time it is shown and from then on only shows and hides it.
#pragma once
#include <functional>
#include <memory>

#include "pages/form2.h"
#include "pages/form3.h"

namespace vts {

class PageHost {
public:
    PageHost(AppContext& ctx, PageState& state, Form3Services exporters, std::function<void()> showForm1);
    ~PageHost();

    Form2& showForm2();
    Form3& showForm3();
    Form2* form2() const { return form2_.get(); }
    Form3* form3() const { return form3_.get(); }

private:
    AppContext& ctx_;
    PageState& state_;
    Form3Services exporters_;
    std::function<void()> showForm1_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
};

}  // namespace vts
