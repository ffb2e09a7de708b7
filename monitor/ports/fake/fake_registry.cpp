#include "fake_registry.h"

#include <iterator>

namespace quill::fake {

std::u16string FakeRegistry::Fold(const std::u16string& text) {
  std::u16string folded = text;
  for (char16_t& c : folded) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return folded;
}

std::u16string FakeRegistry::FoldPath(const std::u16string& path) {
  std::u16string folded = Fold(path);
  if (!folded.empty() && folded.back() == u'\\') folded.pop_back();
  return folded;
}

FakeRegistry::Key* FakeRegistry::Find(RegistryRoot root, const std::u16string& path) {
  auto found = keys_.find({root, FoldPath(path)});
  return found == keys_.end() ? nullptr : &found->second;
}

const FakeRegistry::Key* FakeRegistry::Find(RegistryRoot root, const std::u16string& path) const {
  auto found = keys_.find({root, FoldPath(path)});
  return found == keys_.end() ? nullptr : &found->second;
}

FakeRegistry::Key& FakeRegistry::Make(RegistryRoot root, const std::u16string& path) {
  const std::u16string folded = FoldPath(path);
  // Every key above it exists too.
  for (size_t slash = folded.find(u'\\'); slash != std::u16string::npos;
       slash = folded.find(u'\\', slash + 1)) {
    keys_[{root, folded.substr(0, slash)}];
  }
  return keys_[{root, folded}];
}

bool FakeRegistry::KeyOpens(RegistryRoot root, const std::u16string& path) {
  opens.emplace_back(root, path);
  const Key* key = Find(root, path);
  return key != nullptr && key->readable;
}

RegistryRead FakeRegistry::ReadValue(RegistryRoot root, const std::u16string& path,
                                     const std::u16string& name, size_t offered, uint32_t* type,
                                     std::vector<uint8_t>* data) {
  reads.push_back({root, path, name, offered});
  const Key* key = Find(root, path);
  if (key == nullptr || !key->readable) return RegistryRead::kKeyMissing;
  auto found = key->values.find(Fold(name));
  if (found == key->values.end()) return RegistryRead::kReadFailed;
  if (found->second.data.size() > offered) return RegistryRead::kReadFailed;
  if (type != nullptr) *type = found->second.type;
  if (data != nullptr) *data = found->second.data;
  return RegistryRead::kOk;
}

bool FakeRegistry::WriteValue(RegistryRoot root, const std::u16string& path,
                              const std::u16string& name, uint32_t type,
                              const std::vector<uint8_t>& data) {
  Key* key = Find(root, path);
  const bool succeeded = key != nullptr && !failWrites;
  writes.push_back({root, path, name, type, data, succeeded});
  if (!succeeded) return false;
  key->values[Fold(name)] = Value{type, data};
  return true;
}

bool FakeRegistry::CreateKey(RegistryRoot root, const std::u16string& path) {
  creates.push_back({root, path});
  if (failCreates) return Find(root, path) != nullptr;
  Make(root, path);
  return true;
}

void FakeRegistry::AddKey(RegistryRoot root, const std::u16string& path) {
  Make(root, path);
}

void FakeRegistry::SetValue(RegistryRoot root, const std::u16string& path,
                            const std::u16string& name, uint32_t type,
                            const std::vector<uint8_t>& data) {
  Make(root, path).values[Fold(name)] = Value{type, data};
}

void FakeRegistry::SetString(RegistryRoot root, const std::u16string& path,
                             const std::u16string& name, const std::u16string& text,
                             bool withTerminator) {
  std::vector<uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  if (withTerminator) bytes.insert(bytes.end(), {0, 0});
  SetValue(root, path, name, kRegSz, bytes);
}

void FakeRegistry::SetDword(RegistryRoot root, const std::u16string& path,
                            const std::u16string& name, uint32_t value) {
  SetValue(root, path, name, kRegDword,
           {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

void FakeRegistry::RemoveValue(RegistryRoot root, const std::u16string& path,
                               const std::u16string& name) {
  if (Key* key = Find(root, path)) key->values.erase(Fold(name));
}

void FakeRegistry::RemoveKey(RegistryRoot root, const std::u16string& path) {
  const std::u16string folded = FoldPath(path);
  const std::u16string below = folded + u'\\';
  for (auto it = keys_.begin(); it != keys_.end();) {
    const bool inside = it->first.first == root &&
                        (it->first.second == folded || it->first.second.rfind(below, 0) == 0);
    it = inside ? keys_.erase(it) : std::next(it);
  }
}

void FakeRegistry::DenyReading(RegistryRoot root, const std::u16string& path) {
  Make(root, path).readable = false;
}

bool FakeRegistry::HasKey(RegistryRoot root, const std::u16string& path) const {
  return Find(root, path) != nullptr;
}

const FakeRegistry::Value* FakeRegistry::FindValue(RegistryRoot root, const std::u16string& path,
                                                   const std::u16string& name) const {
  const Key* key = Find(root, path);
  if (key == nullptr) return nullptr;
  auto found = key->values.find(Fold(name));
  return found == key->values.end() ? nullptr : &found->second;
}

std::u16string FakeRegistry::StringValue(RegistryRoot root, const std::u16string& path,
                                         const std::u16string& name) const {
  const Value* value = FindValue(root, path, name);
  if (value == nullptr) return {};
  std::u16string text;
  for (size_t i = 0; i + 1 < value->data.size(); i += 2) {
    text.push_back(static_cast<char16_t>(value->data[i] | (value->data[i + 1] << 8)));
  }
  if (!text.empty() && text.back() == u'\0') text.pop_back();
  return text;
}

}  // namespace quill::fake
