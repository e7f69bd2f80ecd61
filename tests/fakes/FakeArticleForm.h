#pragma once

#include "create/ArticleForm.h"

namespace quillora::testing {

// A form whose ReadFields keeps the fields as the test set them, or fails as a window does
// when the article number is no integer. ShowFields records what would be shown.
class FakeArticleForm : public ArticleForm {
public:
    bool ReadFields() override {
        ++reads;
        return readable;
    }
    void ShowFields() override {
        ++shows;
        shownTitle = articleTitle;
        shownText = articleText;
        shownNumber = articleNumber;
    }

    bool readable = true;
    int reads = 0;
    int shows = 0;
    TextBuffer shownTitle;
    TextBuffer shownText;
    std::int32_t shownNumber = 0;
};

}  // namespace quillora::testing
