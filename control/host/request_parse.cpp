#include "request_parse.h"

#include <utility>

namespace quill::host {
namespace {

constexpr char kPolicyQuery[] = "policy";

bool Fail(const std::string& message, RequestError* error) {
  *error = RequestError{RequestErrorKind::kBadRequest, message};
  return false;
}

// Parses without exceptions; discarded for malformed JSON (invalid UTF-8
// included) and for nesting beyond the limit.
Json ParseJson(const std::string& payload, bool* tooDeep) {
  *tooDeep = false;
  const Json::parser_callback_t limitNesting = [tooDeep](int depth, Json::parse_event_t event,
                                                         Json&) {
    const bool opens =
        event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start;
    if (opens && depth >= kMaxRequestNesting) {
      *tooDeep = true;
      return false;
    }
    return true;
  };
  return Json::parse(payload, limitNesting, /*allow_exceptions=*/false);
}

}  // namespace

bool ParseRequest(const std::string& payload, ParsedRequest* request, RequestError* error) {
  *request = ParsedRequest();
  bool tooDeep = false;
  Json body = ParseJson(payload, &tooDeep);
  if (tooDeep) return Fail("the request is nested too deeply", error);
  if (body.is_discarded()) return Fail("the request is not valid JSON", error);
  if (!body.is_object()) return Fail("the request is not a JSON object", error);

  request->isObject = true;
  if (auto id = body.find("id"); id != body.end()) request->id = std::move(*id);
  if (auto origin = body.find("origin"); origin != body.end()) {
    request->hasOrigin = true;
    request->origin = std::move(*origin);
  }

  static constexpr std::pair<const char*, RequestVerb> kVerbs[] = {
      {"call", RequestVerb::kCall}, {"get", RequestVerb::kGet}, {"put", RequestVerb::kPut}};
  int verbs = 0;
  const Json* name = nullptr;
  for (const auto& [key, verb] : kVerbs) {
    auto found = body.find(key);
    if (found == body.end()) continue;
    ++verbs;
    request->verb = verb;
    name = &*found;
  }
  if (request->hasOrigin) {
    if (auto query = body.find("query"); query != body.end()) {
      if (verbs != 0) return Fail("a query has none of call, get and put", error);
      if (!query->is_string() || query->get<std::string>() != kPolicyQuery) {
        return Fail("the only query is \"policy\"", error);
      }
      request->verb = RequestVerb::kQuery;
      request->name = kPolicyQuery;
      return true;
    }
  }
  if (verbs != 1) return Fail("a request has exactly one of call, get and put", error);
  if (!name->is_string()) return Fail("the member name is not a string", error);
  request->name = name->get<std::string>();

  if (request->verb == RequestVerb::kPut) {
    if (auto value = body.find("value"); value != body.end()) {
      request->arguments.push_back(std::move(*value));
    }
  }
  if (auto args = body.find("args"); args != body.end()) {
    if (!args->is_array()) return Fail("args is not an array", error);
    for (Json& argument : *args) request->arguments.push_back(std::move(argument));
  }
  return true;
}

}  // namespace quill::host
