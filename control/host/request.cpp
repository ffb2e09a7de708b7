#include "request.h"

#include <exception>
#include <string>

#include "member_table.h"
#include "request_error.h"
#include "request_parse.h"
#include "script_json.h"

namespace quill::host {
namespace {

// A member name as a message may quote it: at most 64 bytes, cut at a
// character boundary.
std::string Quoted(const std::string& name) {
  constexpr size_t kLongest = 64;
  if (name.size() <= kLongest) return "'" + name + "'";
  size_t end = kLongest;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return "'" + name.substr(0, end) + "...'";
}

MemberKind KindOf(RequestVerb verb) {
  switch (verb) {
    case RequestVerb::kGet:
      return MemberKind::kPropertyGet;
    case RequestVerb::kPut:
      return MemberKind::kPropertyPut;
    case RequestVerb::kCall:
      break;
  }
  return MemberKind::kMethod;
}

const MemberInfo* LookUp(const ParsedRequest& request, RequestError* error) {
  // The table compares C strings: a name with a NUL inside names nothing.
  const bool usable = request.name.find('\0') == std::string::npos;
  const MemberInfo* member =
      usable ? FindMember(request.name.c_str(), KindOf(request.verb)) : nullptr;
  if (member) return member;
  const MemberInfo* other = usable ? FindMemberByName(request.name.c_str()) : nullptr;
  if (!other) {
    *error = {RequestErrorKind::kUnknownMember, "no member is named " + Quoted(request.name)};
  } else if (request.verb == RequestVerb::kCall) {
    *error = {RequestErrorKind::kNotAMethod,
              std::string(other->name) + " is a property: use get or put"};
  } else {
    *error = {RequestErrorKind::kNotAProperty,
              std::string(other->name) + " is not a property with a " +
                  (request.verb == RequestVerb::kGet ? "get" : "put") + " accessor"};
  }
  return nullptr;
}

const char* TypeName(ScriptType type) {
  return type == ScriptType::kLong ? "a number with an integral value in the signed 32-bit range"
                                   : "a string or null";
}

bool ConvertArguments(const MemberInfo& member, const std::vector<Json>& arguments,
                      ScriptArgs* args, RequestError* error) {
  const size_t expected = member.parameters.size();
  if (arguments.size() != expected) {
    *error = {RequestErrorKind::kBadArity,
              std::string(member.name) + " takes " + std::to_string(expected) + " argument" +
                  (expected == 1 ? "" : "s") + ", not " + std::to_string(arguments.size())};
    return false;
  }
  args->resize(expected);
  for (size_t i = 0; i < expected; ++i) {
    if (!ToScriptValue(arguments[i], member.parameters[i], &(*args)[i])) {
      const std::string which = member.kind == MemberKind::kPropertyPut
                                    ? "the value of " + std::string(member.name)
                                    : "argument " + std::to_string(i + 1) + " of " + member.name;
      *error = {RequestErrorKind::kTypeMismatch,
                which + " must be " + TypeName(member.parameters[i])};
      return false;
    }
  }
  return true;
}

std::string Dump(const Json& reply) {
  // Every string in a reply is valid UTF-8 already; replace guards the rest.
  return reply.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string ErrorReply(const Json& id, const RequestError& error) {
  Json reply = Json::object();
  reply["id"] = id;
  reply["error"] = {{"code", RequestErrorCode(error.kind)}, {"message", error.message}};
  return Dump(reply);
}

std::string Answer(const std::string& payload) {
  ParsedRequest request;
  RequestError error{RequestErrorKind::kBadRequest, ""};
  if (!ParseRequest(payload, &request, &error)) return ErrorReply(request.id, error);
  const MemberInfo* member = LookUp(request, &error);
  if (!member) return ErrorReply(request.id, error);
  ScriptArgs args;
  if (!ConvertArguments(*member, request.arguments, &args, &error)) {
    return ErrorReply(request.id, error);
  }
  ScriptValue result;
  if (!InvokeMember(*member, args, &result)) {
    return ErrorReply(request.id, {RequestErrorKind::kTypeMismatch,
                                   std::string(member->name) + " refused its arguments"});
  }
  Json reply = Json::object();
  reply["id"] = request.id;
  reply["result"] = member->kind == MemberKind::kPropertyPut ? Json() : FromScriptValue(result);
  return Dump(reply);
}

}  // namespace

std::string AnswerRequest(const std::string& payload) {
  // Nothing thrown below may end the host; the JSON library's exceptions
  // (and an allocation failure) stay inside this function.
  try {
    return Answer(payload);
  } catch (const std::exception&) {
    return ErrorReply(Json(), {RequestErrorKind::kBadRequest, "the request could not be handled"});
  }
}

}  // namespace quill::host
