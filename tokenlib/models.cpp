#include "models.h"

namespace quill {

const TokenModelInfo& ModelInfo(TokenModel model) {
  static const TokenModelInfo kModelA = {0x04B4, 0xB328, "vid_04b4pid_b708"};
  static const TokenModelInfo kModelB = {0x04B4, 0xB812, "vid_04b4pid_b826"};
  return model == TokenModel::kB ? kModelB : kModelA;
}

}  // namespace quill
