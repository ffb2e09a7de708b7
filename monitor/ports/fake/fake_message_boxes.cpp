#include "fake_message_boxes.h"

namespace quill::fake {

int FakeMessageBoxes::Show(BoxOwner owner, const std::u16string& text,
                           const std::u16string& caption, uint32_t flags) {
  shown.push_back(Shown{owner, text, caption, flags});
  if (answers.empty()) return defaultAnswer;
  int answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace quill::fake
