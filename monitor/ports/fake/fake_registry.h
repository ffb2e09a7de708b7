// An in-memory registry for tests: keys and typed values, key paths and
// value names compared without regard to ASCII case (as the registry does),
// every read and write recorded, and switches that make writes fail.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ports/monitor_ports.h"

namespace quill::fake {

class FakeRegistry : public RegistryPort {
 public:
  struct Value {
    uint32_t type = 0;
    std::vector<uint8_t> data;
  };
  struct ReadCall {
    RegistryRoot root;
    std::u16string path;
    std::u16string name;
    size_t offered;
  };
  struct WriteCall {
    RegistryRoot root;
    std::u16string path;
    std::u16string name;
    uint32_t type;
    std::vector<uint8_t> data;
    bool succeeded;
  };
  struct CreateCall {
    RegistryRoot root;
    std::u16string path;
  };

  // RegistryPort.
  bool KeyOpens(RegistryRoot root, const std::u16string& path) override;
  RegistryRead ReadValue(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                         size_t offered, uint32_t* type, std::vector<uint8_t>* data) override;
  bool WriteValue(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                  uint32_t type, const std::vector<uint8_t>& data) override;
  bool CreateKey(RegistryRoot root, const std::u16string& path) override;

  // Arranging the machine. Setting a value creates its key (and the keys
  // above it). One trailing backslash of a path is ignored, as the system
  // ignores it.
  void AddKey(RegistryRoot root, const std::u16string& path);
  void SetValue(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                uint32_t type, const std::vector<uint8_t>& data);
  // REG_SZ as UTF-16LE, with the terminating zero that most tools store
  // unless told otherwise.
  void SetString(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                 const std::u16string& text, bool withTerminator = true);
  void SetDword(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                uint32_t value);
  void RemoveValue(RegistryRoot root, const std::u16string& path, const std::u16string& name);
  // Removes the key and every key below it.
  void RemoveKey(RegistryRoot root, const std::u16string& path);
  // The key exists (writes and CreateKey see it) but does not open for reading.
  void DenyReading(RegistryRoot root, const std::u16string& path);

  // Inspecting it.
  bool HasKey(RegistryRoot root, const std::u16string& path) const;
  // Null when the key or the value does not exist.
  const Value* FindValue(RegistryRoot root, const std::u16string& path,
                         const std::u16string& name) const;
  // The value's bytes read as UTF-16LE, without a trailing zero when one
  // is stored; empty when missing.
  std::u16string StringValue(RegistryRoot root, const std::u16string& path,
                             const std::u16string& name) const;

  // Switches.
  bool failWrites = false;   // WriteValue fails (the key is left alone)
  bool failCreates = false;  // CreateKey fails and creates nothing

  // What was asked, in order.
  std::vector<std::pair<RegistryRoot, std::u16string>> opens;
  std::vector<ReadCall> reads;
  std::vector<WriteCall> writes;
  std::vector<CreateCall> creates;

 private:
  struct Key {
    bool readable = true;
    std::map<std::u16string, Value> values;  // by folded name
  };
  using KeyMap = std::map<std::pair<RegistryRoot, std::u16string>, Key>;
  static std::u16string Fold(const std::u16string& text);
  static std::u16string FoldPath(const std::u16string& path);
  Key* Find(RegistryRoot root, const std::u16string& path);
  const Key* Find(RegistryRoot root, const std::u16string& path) const;
  Key& Make(RegistryRoot root, const std::u16string& path);

  KeyMap keys_;
};

}  // namespace quill::fake
