// The password reset through a server: the request the control builds and
// the server's response it applies, with the test playing the server (it
// shares the token's cipher keys and reset key).
#include "control_fixture.h"
#include "server_side.h"

namespace quill {
namespace {

using namespace server_side;

constexpr uint8_t kInsResetChallenge = 0x1B;
constexpr uint8_t kInsResetPassword = 0x1D;

class ResetTest : public ControlTest {
 protected:
  struct Request {
    std::string uid;
    DesBlock challenge{};
    DesBlock answer{};
  };

  // Decrypts a request as the server does and splits its 67 bytes.
  Request OpenRequest(int id, const std::string& base64, int selector = 0) {
    Request request;
    Bytes plain;
    EXPECT_EQ(base64.size(), 96u);
    EXPECT_TRUE(CipherDecrypt(server.Stored(id).cipherKeys[selector], FromBase64(base64), &plain));
    const std::string text = TextOf(plain);
    EXPECT_EQ(text.size(), 67u);
    if (text.size() != 67u) return request;
    EXPECT_EQ(text[32], ';');
    EXPECT_EQ(text[49], ';');
    EXPECT_EQ(text[66], ';');
    request.uid = text.substr(0, 32);
    request.challenge = BlockFromHex(text.substr(33, 16));
    request.answer = BlockFromHex(text.substr(50, 16));
    EXPECT_EQ(Hex(request.challenge.data(), 8), text.substr(33, 16)) << "lowercase hex";
    return request;
  }

  // The response plaintext encrypted as the token would, in Base64.
  ScriptText Response(int id, const std::string& plaintext, int selector = 0) {
    return Text(
        ToBase64(CipherEncrypt(server.Stored(id).cipherKeys[selector], BytesOf(plaintext))));
  }

  // What the server answers to a request: the proof that it knows the reset key.
  std::string Proof(int id, const Request& request) {
    const DesBlock proof = DesEncrypt(server.Stored(id).resetKey, request.answer);
    return Hex(proof.data(), 8);
  }
};

TEST_F(ResetTest, RoundTripWithTheTestAsServerSetsTheNewPassword) {
  const int id = AddToken();
  Connect();
  ports.clock.now = 1;
  const Request request = OpenRequest(id, Utf8(QuillGenResetPwdRequest()));
  EXPECT_EQ(request.uid, UidOf(id));
  // srand(1), then rand() four times: 41, 18467, 6334, 26500 as little-endian words.
  EXPECT_EQ(Hex(request.challenge.data(), 8), "29002348be188467");
  EXPECT_EQ(request.answer, DesEncrypt(server.Stored(id).resetKey, request.challenge));

  // Runs of separators count as one; text after the fourth field is ignored.
  const std::string response = request.uid + ";;" + Hex(request.challenge.data(), 8) + ";" +
                               Proof(id, request) + ";new password;ignored";
  EXPECT_EQ(QuillResetPassword(Response(id, response)), 0);
  EXPECT_EQ(server.Stored(id).password, TokenPasswordDigest("new password"));
  EXPECT_NE(QuillOpen(Text("12345678")), 0);
  EXPECT_EQ(QuillOpen(Text("new password")), 0);
}

TEST_F(ResetTest, RequestsWithinOneSecondCarryTheSameChallenge) {
  const int id = AddToken();
  Connect();
  const std::string first = Utf8(QuillGenResetPwdRequest());
  const std::string second = Utf8(QuillGenResetPwdRequest());
  EXPECT_EQ(first.size(), 96u);
  EXPECT_EQ(first, second);
  ports.clock.now += 1;
  const std::string later = Utf8(QuillGenResetPwdRequest());
  EXPECT_NE(OpenRequest(id, later).challenge, OpenRequest(id, first).challenge);
  EXPECT_EQ(CommandCount(server, id, kInsResetChallenge), 3u);
}

TEST_F(ResetTest, ModelOneUsesTheSecondCipherKey) {
  const int id = AddToken(TokenModel::kB);
  Connect();
  PutModel(1);
  const Request request = OpenRequest(id, Utf8(QuillGenResetPwdRequest()), 1);
  EXPECT_EQ(request.uid, UidOf(id));
  const std::string response =
      request.uid + ";" + Hex(request.challenge.data(), 8) + ";" + Proof(id, request) + ";model b";
  EXPECT_EQ(QuillResetPassword(Response(id, response, 1)), 0);
  EXPECT_EQ(QuillOpen(Text("model b")), 0);
}

TEST_F(ResetTest, ResponseTextIsCheckedBeforeTheTokenIsAsked) {
  const int id = AddToken();
  Connect();
  EXPECT_EQ(QuillResetPassword(Text(std::string(256, 'A'))), 2);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_RESPONSE_TOO_LONG}));
  EXPECT_EQ(QuillResetPassword(Text(std::string(2000000, 'A'))), 2);
  // 255 characters pass; they decode to 189 bytes, not a multiple of 8.
  EXPECT_EQ(QuillResetPassword(Text(std::string(255, 'A'))), 4);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_BAD_CIPHERTEXT}));
  EXPECT_EQ(QuillResetPassword(Text("QUJD\rREVG")), 3);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_BAD_CIPHERTEXT}));
  EXPECT_EQ(QuillResetPassword(Text(ToBase64(Bytes(12, 7)))), 4);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_BAD_CIPHERTEXT}));
  EXPECT_EQ(server.Stats(id).commands.back().ins, 0x3F) << "only the presence check reached it";
}

TEST_F(ResetTest, CiphertextTheTokenCannotOpenGives6ForModelZeroAnd5ForModelOne) {
  const int a = AddToken(TokenModel::kA);
  const int b = AddToken(TokenModel::kB);
  Connect();
  // One block whose decryption ends in 9: no valid padding.
  auto badBlock = [&](int id, int selector) {
    DesBlock nine;
    nine.fill(9);
    const DesBlock cipher = DesEncrypt(server.Stored(id).cipherKeys[selector], nine);
    return Text(ToBase64(Bytes(cipher.begin(), cipher.end())));
  };
  EXPECT_EQ(QuillResetPassword(badBlock(a, 0)), 6);
  EXPECT_EQ(QuillResetPassword(Text("")), 6) << "an empty ciphertext";
  PutModel(1);
  EXPECT_EQ(QuillResetPassword(badBlock(b, 1)), 5);
  EXPECT_EQ(CommandCount(server, a, kInsResetPassword) + CommandCount(server, b, kInsResetPassword),
            0u);
}

TEST_F(ResetTest, ResponseFieldsAreCheckedInOrder) {
  const int id = AddToken();
  const int other = AddToken();
  Connect();
  const Request request = OpenRequest(id, Utf8(QuillGenResetPwdRequest()));
  const std::string challenge = Hex(request.challenge.data(), 8);
  const std::string proof = Proof(id, request);

  EXPECT_EQ(QuillResetPassword(Response(id, request.uid + ";" + challenge + ";;" + proof)), 7);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_BAD_RESPONSE_FORMAT}));
  EXPECT_EQ(QuillResetPassword(Response(
                id, request.uid + ";" + challenge + ";" + proof + ";" + std::string(33, 'p'))),
            8);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_RESET_PIN_TOO_LONG}));
  EXPECT_EQ(QuillResetPassword(Response(id, UidOf(other) + ";" + challenge + ";" + proof + ";p")),
            10);
  EXPECT_EQ(Codes(), (std::vector<int>{CTL_UID_MISMATCH}));
  std::string capitals = request.uid;
  for (char& c : capitals) c = static_cast<char>(toupper(c));
  EXPECT_EQ(QuillResetPassword(Response(id, capitals + ";" + challenge + ";" + proof + ";p")), 10);
  EXPECT_EQ(CommandCount(server, id, kInsResetPassword), 0u);

  // A proof the token does not accept: the token's refusal.
  EXPECT_EQ(
      QuillResetPassword(Response(id, request.uid + ";" + challenge + ";" + "0000000000000000;p")),
      11);
  EXPECT_EQ(CommandCount(server, id, kInsResetPassword), 1u);
  EXPECT_EQ(server.Stored(id).password, TokenPasswordDigest("12345678"));
}

TEST_F(ResetTest, NoTokenFailsFirst) {
  Connect();
  EXPECT_EQ(QuillGenResetPwdRequest(), ScriptText::Null());
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
  EXPECT_EQ(QuillResetPassword(Text("")), 1);
  EXPECT_EQ(Codes().back(), CTL_NO_TOKEN);
}

}  // namespace
}  // namespace quill
