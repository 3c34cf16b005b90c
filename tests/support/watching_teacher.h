// A teacher that answers recognition's questions from the pictures' true text, and lets a test act while a question is open.
#pragma once

#include "recognition/scripted_answerer.h"

#include <functional>
#include <vector>

namespace glyfex::test {

class WatchingTeacher : public recognition::GlyphAsker {
public:
    explicit WatchingTeacher(std::vector<recognition::TruthEntry> truth) : m_truth(std::move(truth)) {}
    std::function<void()> onQuestion;
    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &q) override
    {
        if (onQuestion)
            onQuestion();
        return m_truth.askGlyph(q);
    }

private:
    recognition::GroundTruthAnswerer m_truth;
};

} // namespace glyfex::test
