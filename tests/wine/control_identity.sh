# shellcheck shell=bash
# The QuillActiveX control's class, type library, interface and application
# ids, its ProgID and the safety categories it implements, as the runners
# expect to find them registered; sourced, not run.
# shellcheck disable=SC2034  # read by the scripts that source this

readonly clsid='{6AAEEBD3-838D-4A35-9571-26EFC79882ED}'
readonly libid='{09F46403-908C-485B-AF92-BB2823513925}'
readonly iid='{DDA8066D-C8BA-440A-AD34-E32537CF1C86}'
readonly appid='{4FCC3BC8-CA4E-4998-8736-B05CDC905D33}'
readonly scripting='{7DD95801-9882-11CF-9FA9-00AA006C42C4}'
readonly initializing='{7DD95802-9882-11CF-9FA9-00AA006C42C4}'
readonly progid=QuillActiveX.QuillActiveXCtrl
