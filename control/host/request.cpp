#include "request.h"

#include <exception>
#include <optional>
#include <string>
#include <utility>

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
    case RequestVerb::kQuery:  // answered before any member is looked up
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

std::string ResultReply(const Json& id, Json result) {
  Json reply = Json::object();
  reply["id"] = id;
  reply["result"] = std::move(result);
  return Dump(reply);
}

// Runs a member request; the origin, if any, has passed its checks.
std::string RunMember(const ParsedRequest& request) {
  RequestError error{RequestErrorKind::kBadRequest, ""};
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
  return ResultReply(request.id,
                     member->kind == MemberKind::kPropertyPut ? Json() : FromScriptValue(result));
}

// The origin of a request, or why it is not one.
std::optional<WebOrigin> CheckedOrigin(const Json& sent, RequestError* error) {
  if (!sent.is_string()) {
    *error = {RequestErrorKind::kBadOrigin, "the origin is not a string"};
    return std::nullopt;
  }
  std::string problem;
  std::optional<WebOrigin> origin = ParseOrigin(sent.get<std::string>(), &problem);
  if (!origin) {
    *error = {RequestErrorKind::kBadOrigin,
              Quoted(sent.get<std::string>()) + " is not a web origin: " + problem};
  }
  return origin;
}

}  // namespace

std::string RequestHandler::Answer(const std::string& payload) {
  // Nothing thrown below may end the host; the JSON library's exceptions
  // (and an allocation failure) stay inside this function.
  try {
    return AnswerParsed(payload);
  } catch (const std::exception&) {
    return ErrorReply(Json(), {RequestErrorKind::kBadRequest, "the request could not be handled"});
  }
}

std::string RequestHandler::AnswerParsed(const std::string& payload) {
  ParsedRequest request;
  RequestError error{RequestErrorKind::kBadRequest, ""};
  const bool parsed = ParseRequest(payload, &request, &error);
  // Whatever else is wrong with an object, its origin is checked first.
  std::optional<WebOrigin> origin;
  if (request.isObject && request.hasOrigin) {
    RequestError originError{RequestErrorKind::kBadOrigin, ""};
    origin = CheckedOrigin(request.origin, &originError);
    if (!origin) return ErrorReply(request.id, originError);
  }
  if (request.isObject && bound_ && (!origin || *origin != *bound_)) {
    return ErrorReply(request.id,
                      {RequestErrorKind::kOriginMismatch,
                       origin ? "this host process serves another origin; " + origin->ToString() +
                                    " needs a host process of its own"
                              : "this host serves a web origin: a request without one is refused"});
  }
  if (!origin) {
    // A local program's request, on a host no web page has bound.
    return parsed ? RunMember(request) : ErrorReply(request.id, error);
  }
  if (!bound_) bound_ = origin;

  const PolicyReading policy = policy_.Read();
  if (!policy.usable) {
    return ErrorReply(request.id, {RequestErrorKind::kPolicyUnreadable,
                                   "the machine's origin policy cannot be used, so every web "
                                   "origin is refused until an administrator mends it: " +
                                       policy.problem});
  }
  if (!parsed) return ErrorReply(request.id, error);
  const PolicyDecision decision = DecideOrigin(policy.policy, *origin);
  if (request.verb == RequestVerb::kQuery) {
    return ResultReply(request.id, PolicyDecisionName(decision));
  }
  if (decision == PolicyDecision::kForbid) {
    return ErrorReply(request.id, {RequestErrorKind::kOriginForbidden,
                                   "an administrator has forbidden the origin " +
                                       origin->ToString() + " to use the token on this machine"});
  }
  return RunMember(request);
}

}  // namespace quill::host
