# Tests the member generator (generate_members.cmake): what it writes for a
# small definition, and that it refuses definitions that break the format or
# clash, naming the line.
#
#   cmake -DGENERATOR=generate_members.cmake -DWORK_DIR=dir -P member_generator_test.cmake
cmake_minimum_required(VERSION 3.25)

foreach(variable GENERATOR WORK_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "member_generator_test.cmake: ${variable} is not set")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(failures 0)

function(fail text)
  message("FAIL: ${text}")
  math(EXPR count "${failures} + 1")
  set(failures ${count} PARENT_SCOPE)
endfunction()

# Runs the generator for face on a definition; sets status and errors.
function(generate case face definition)
  set(directory "${WORK_DIR}/${case}")
  file(MAKE_DIRECTORY "${directory}")
  file(WRITE "${directory}/members.def" "${definition}")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -DDEFINITION=${directory}/members.def -DFACE=${face}
            -DOUTPUT_DIR=${directory} -P "${GENERATOR}"
    RESULT_VARIABLE status
    OUTPUT_QUIET
    ERROR_VARIABLE errors)
  # CMake wraps long messages: compare them as one line.
  string(REGEX REPLACE "[ \t\n]+" " " errors "${errors}")
  set(status "${status}" PARENT_SCOPE)
  set(errors "${errors}" PARENT_SCOPE)
endfunction()

# Every line of expected must appear, as it stands, in the file.
function(expect_lines path expected)
  if(NOT EXISTS "${path}")
    fail("${path} was not written")
    set(failures ${failures} PARENT_SCOPE)
    return()
  endif()
  file(READ "${path}" content)
  string(REPLACE ";" "<semicolon>" expected "${expected}")
  string(REPLACE "\n" ";" expected "${expected}")
  foreach(line IN LISTS expected)
    string(REPLACE "<semicolon>" ";" line "${line}")
    string(FIND "${content}" "${line}" at)
    if(at EQUAL -1)
      fail("${path} lacks: ${line}")
    endif()
  endforeach()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

# --- A definition with a method of each shape and a property.
set(sample [=[
# comment lines and blank lines are skipped

method   7  Ping        long                      # no parameters
method   3  QuillOpen   long  userPwd:text:undirected
method   9  Read        text  nStartAddr:long pBuffer:text
property 4  Label       text
method   5  Last        long  Index:long
]=])

generate(sample control "${sample}")
if(NOT status EQUAL 0)
  fail("a sound definition was refused: ${errors}")
endif()
expect_lines("${WORK_DIR}/sample/member_declarations.inc" [=[
int32_t Ping();
int32_t QuillOpen(const ScriptText& userPwd);
ScriptText Read(int32_t startAddr, const ScriptText& buffer);
ScriptText GetLabel();
void PutLabel(const ScriptText& value);
int32_t Last(int32_t index);]=])
expect_lines("${WORK_DIR}/sample/member_rows.inc" [=[
Row<Ping>("Ping", 7, kMethod, {}, 0),
Row<QuillOpen>("QuillOpen", 3, kMethod, {"userPwd"}, 1),
Row<Read>("Read", 9, kMethod, {"nStartAddr", "pBuffer"}, 0),
Row<GetLabel>("Label", 4, kGet, {}, 0),
Row<PutLabel>("Label", 4, kPut, {""}, 0),
Row<Last>("Last", 5, kMethod, {"Index"}, 0),]=])

generate(sample com "${sample}")
if(NOT status EQUAL 0)
  fail("a sound definition was refused for the COM server: ${errors}")
endif()
expect_lines("${WORK_DIR}/sample/QuillActiveX_members.idl" [=[
  [id(7), helpstring("method Ping")]
  HRESULT Ping([out, retval] long* pVal);
  [id(3), helpstring("method QuillOpen")]
  HRESULT QuillOpen(BSTR userPwd, [out, retval] long* pVal);
  HRESULT Read([in] long nStartAddr, [in] BSTR pBuffer, [out, retval] BSTR* pVal);
  [propget, id(4), helpstring("property Label")]
  HRESULT Label([out, retval] BSTR* pVal);
  [propput, id(4), helpstring("property Label")]
  HRESULT Label([in] BSTR);]=])
expect_lines("${WORK_DIR}/sample/quill_control_methods.inc" [=[
HRESULT STDMETHODCALLTYPE Ping(LONG* result) override;
HRESULT STDMETHODCALLTYPE Read(LONG startAddr, BSTR buffer, BSTR* result) override;
HRESULT STDMETHODCALLTYPE get_Label(BSTR* result) override;
HRESULT STDMETHODCALLTYPE put_Label(BSTR value) override;]=])
# Each wrapper runs its own row: the rows count from 0 and a property has two.
expect_lines("${WORK_DIR}/sample/quill_control_method_bodies.inc" [=[
CQuillActiveXCtrl::Ping(LONG* result) {
  return Deliver(result, 0);
  return Deliver(result, 1, userPwd);
  return Deliver(result, 2, startAddr, buffer);
CQuillActiveXCtrl::get_Label(BSTR* result) {
  return Deliver(result, 3);
CQuillActiveXCtrl::put_Label(BSTR value) {
  return Apply(4, value);
  return Deliver(result, 5, index);]=])

# --- Definitions the generator must refuse, with what it must say.
function(expect_refused case definition message)
  generate(${case} control "${definition}")
  if(status EQUAL 0)
    fail("${case}: accepted")
  elseif(NOT errors MATCHES "${message}")
    fail("${case}: said '${errors}', expected '${message}'")
  endif()
  if(EXISTS "${WORK_DIR}/${case}/member_rows.inc")
    fail("${case}: wrote the table's rows all the same")
  endif()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

expect_refused(empty "# nothing\n" "no member is defined")
expect_refused(short "method 1 Ping\n" "members.def:1: expected KIND DISPID NAME TYPE")
expect_refused(kind "method 1 A long\nfunction 2 B long\n" "members.def:2: the kind is method or property")
expect_refused(dispid_zero "method 0 A long\n" "members.def:1: the DISPID is a positive number")
expect_refused(dispid_word "method one A long\n" "the DISPID is a positive number, not \"one\"")
expect_refused(name "method 1 2fast long\n" "\"2fast\" is not a name")
expect_refused(type "method 1 A double\n" "the type of A is long or text, not \"double\"")
expect_refused(twice "method 1 Ping long\n\nmethod 2 PING long\n" "members.def:3: PING is defined twice")
expect_refused(property_twice "property 1 Tag long\nmethod 2 tag long\n" "tag is defined twice")
expect_refused(dispid_taken "method 1 A long\nproperty 1 B text\n" "members.def:2: DISPID 1 of B is taken")
expect_refused(function_taken "method 1 GetTag long\nproperty 2 Tag long\n"
               "members.def:2: the function GetTag of Tag is taken")
expect_refused(parameter "method 1 A long size\n" "parameter \"size\" of A is not name:type")
expect_refused(parameter_type "method 1 A long size:int\n" "parameter \"size:int\" of A")
expect_refused(parameter_flag "method 1 A long size:long:out\n" "parameter \"size:long:out\" of A")
expect_refused(reserved "method 1 A long pVal:long\n" "pVal is a reserved parameter name")
expect_refused(reserved_result "method 1 A long result:long\n" "result is a reserved parameter name")
expect_refused(parameter_twice "method 1 A long n:long n:text\n" "A has two parameters named n")
expect_refused(property_parameters "property 1 Tag long n:long\n" "property Tag takes no parameters")
expect_refused(semicolon "method 1 A long a:long\;b:long\n" "';', '\\[' and '\\]' have no place")
expect_refused(bracket "method 1 A long [in]a:long\n" "';', '\\[' and '\\]' have no place")

# A face the generator does not know.
generate(face_unknown idl "method 1 A long\n")
if(status EQUAL 0 OR NOT errors MATCHES "FACE is control or com")
  fail("an unknown face was not refused: ${errors}")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "member generator: ${failures} checks failed")
endif()
message(STATUS "member generator: all checks passed")
