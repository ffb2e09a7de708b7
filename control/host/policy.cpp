#include "policy.h"

#include <set>

#include "script_json.h"

namespace quill::host {
namespace {

constexpr char kAllowedKey[] = "allowedOrigins";
constexpr char kForbiddenKey[] = "forbiddenOrigins";

bool AnyMatches(const std::vector<OriginPattern>& patterns, const WebOrigin& origin) {
  for (const OriginPattern& pattern : patterns) {
    if (PatternMatches(pattern, origin)) return true;
  }
  return false;
}

bool ParsePatterns(const std::vector<std::string>& texts, std::vector<OriginPattern>* patterns,
                   std::string* problem) {
  patterns->clear();
  for (const std::string& text : texts) {
    std::string why;
    std::optional<OriginPattern> pattern = ParseOriginPattern(text, &why);
    if (!pattern) {
      *problem = "'" + text + "' is not an origin pattern: " + why;
      return false;
    }
    patterns->push_back(std::move(*pattern));
  }
  return true;
}

bool ReadList(const Json& body, const char* key, std::vector<std::string>* texts,
              std::string* problem) {
  texts->clear();
  const auto found = body.find(key);
  if (found == body.end()) return true;
  if (!found->is_array()) {
    *problem = std::string(key) + " is not an array";
    return false;
  }
  for (const Json& item : *found) {
    if (!item.is_string()) {
      *problem = std::string(key) + " holds something other than a string";
      return false;
    }
    texts->push_back(item.get<std::string>());
  }
  return true;
}

}  // namespace

const char* PolicyDecisionName(PolicyDecision decision) {
  switch (decision) {
    case PolicyDecision::kAllow:
      return "allow";
    case PolicyDecision::kForbid:
      return "forbid";
    case PolicyDecision::kAsk:
      break;
  }
  return "ask";
}

PolicyDecision DecideOrigin(const OriginPolicy& policy, const WebOrigin& origin) {
  if (AnyMatches(policy.forbidden, origin)) return PolicyDecision::kForbid;
  if (AnyMatches(policy.allowed, origin)) return PolicyDecision::kAllow;
  return PolicyDecision::kAsk;
}

bool PolicyFromPatterns(const std::vector<std::string>& allowed,
                        const std::vector<std::string>& forbidden, OriginPolicy* policy,
                        std::string* problem) {
  *policy = OriginPolicy();
  OriginPolicy parsed;
  if (!ParsePatterns(allowed, &parsed.allowed, problem) ||
      !ParsePatterns(forbidden, &parsed.forbidden, problem)) {
    return false;
  }
  *policy = std::move(parsed);
  return true;
}

bool ParsePolicyJson(const std::string& text, OriginPolicy* policy, std::string* problem) {
  *policy = OriginPolicy();
  // The top-level keys as they come: the parsed object keeps only the last
  // of a repeated key.
  std::set<std::string> keys;
  std::string repeated;
  const Json::parser_callback_t noteKeys = [&](int depth, Json::parse_event_t event, Json& parsed) {
    if (event == Json::parse_event_t::key && depth == 1 && parsed.is_string()) {
      if (!keys.insert(parsed.get<std::string>()).second && repeated.empty()) {
        repeated = parsed.get<std::string>();
      }
    }
    return true;
  };
  const Json body = Json::parse(text, noteKeys, /*allow_exceptions=*/false);
  if (body.is_discarded()) {
    *problem = "it is not valid JSON";
    return false;
  }
  if (!body.is_object()) {
    *problem = "it is not a JSON object";
    return false;
  }
  if (!repeated.empty()) {
    *problem = "the key " + repeated + " appears more than once";
    return false;
  }
  for (const auto& item : body.items()) {
    if (item.key() != kAllowedKey && item.key() != kForbiddenKey) {
      *problem = "the key '" + item.key() + "' is none of " + kAllowedKey + " and " + kForbiddenKey;
      return false;
    }
  }
  std::vector<std::string> allowed;
  std::vector<std::string> forbidden;
  return ReadList(body, kAllowedKey, &allowed, problem) &&
         ReadList(body, kForbiddenKey, &forbidden, problem) &&
         PolicyFromPatterns(allowed, forbidden, policy, problem);
}

}  // namespace quill::host
