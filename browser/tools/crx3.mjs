// CRX3 packages for Chrome, Chromium and Edge: "Cr24", version 3, the
// header's length, a protobuf CrxFileHeader, then the zip.
//
//   CrxFileHeader { repeated AsymmetricKeyProof sha256_with_rsa = 2;
//                   bytes signed_header_data = 10000; }
//   AsymmetricKeyProof { bytes public_key = 1; bytes signature = 2; }
//   SignedData { bytes crx_id = 1; }
//
// The signature (RSA PKCS#1 v1.5, SHA-256) covers "CRX3 SignedData\0", the
// signed header data's length (LE32), the signed header data and the zip.

import crypto from "node:crypto";

const MAGIC = Buffer.from("Cr24");
const SIGNATURE_CONTEXT = Buffer.from("CRX3 SignedData\x00", "binary");
const FIELD_RSA_PROOF = 2;
const FIELD_SIGNED_HEADER_DATA = 10000;

function varint(value) {
  const bytes = [];
  while (value > 0x7f) {
    bytes.push((value & 0x7f) | 0x80);
    value = Math.floor(value / 128);
  }
  bytes.push(value);
  return Buffer.from(bytes);
}

function bytesField(field, data) {
  return Buffer.concat([varint(field * 8 + 2), varint(data.length), data]);
}

function readVarint(buffer, at) {
  let value = 0;
  let scale = 1;
  for (;;) {
    if (at >= buffer.length) throw new Error("protobuf varint cut short");
    const byte = buffer[at++];
    value += (byte & 0x7f) * scale;
    if ((byte & 0x80) === 0) return { value, at };
    scale *= 128;
    if (scale > 2 ** 49) throw new Error("protobuf varint too long");
  }
}

// The length-delimited fields of a protobuf message: [{field, data}].
// Other wire types are skipped.
function readFields(buffer) {
  const fields = [];
  let at = 0;
  while (at < buffer.length) {
    const key = readVarint(buffer, at);
    at = key.at;
    const field = Math.floor(key.value / 8);
    const wireType = key.value % 8;
    if (wireType === 2) {
      const length = readVarint(buffer, at);
      at = length.at;
      if (at + length.value > buffer.length) throw new Error("protobuf field cut short");
      fields.push({ field, data: buffer.subarray(at, at + length.value) });
      at += length.value;
    } else if (wireType === 0) {
      at = readVarint(buffer, at).at;
    } else if (wireType === 5) {
      at += 4;
    } else if (wireType === 1) {
      at += 8;
    } else {
      throw new Error(`protobuf wire type ${wireType}`);
    }
  }
  return fields;
}

// 32 letters a..p: the first 16 bytes of the key's SHA-256, a nibble a letter.
export function extensionId(publicKeyDer) {
  const hash = crypto.createHash("sha256").update(publicKeyDer).digest("hex").slice(0, 32);
  return [...hash].map((nibble) => String.fromCharCode(97 + parseInt(nibble, 16))).join("");
}

function signedMessage(signedHeaderData, zip) {
  const length = Buffer.alloc(4);
  length.writeUInt32LE(signedHeaderData.length);
  return Buffer.concat([SIGNATURE_CONTEXT, length, signedHeaderData, zip]);
}

export function packCrx3(zip, privateKeyPem) {
  const privateKey = crypto.createPrivateKey(privateKeyPem);
  const publicKey = crypto.createPublicKey(privateKey).export({ type: "spki", format: "der" });
  const crxId = crypto.createHash("sha256").update(publicKey).digest().subarray(0, 16);
  const signedHeaderData = bytesField(1, crxId);
  const signature = crypto.sign("sha256", signedMessage(signedHeaderData, zip), {
    key: privateKey,
    padding: crypto.constants.RSA_PKCS1_PADDING,
  });
  const proof = Buffer.concat([bytesField(1, publicKey), bytesField(2, signature)]);
  const header = Buffer.concat([
    bytesField(FIELD_RSA_PROOF, proof),
    bytesField(FIELD_SIGNED_HEADER_DATA, signedHeaderData),
  ]);
  const prefix = Buffer.alloc(12);
  MAGIC.copy(prefix, 0);
  prefix.writeUInt32LE(3, 4);
  prefix.writeUInt32LE(header.length, 8);
  return Buffer.concat([prefix, header, zip]);
}

// Parses and verifies a CRX3 package: {id, publicKey, zip}. Throws unless
// the format is right, an RSA proof's key matches the signed crx id and
// its signature verifies.
export function parseCrx3(crx) {
  if (crx.length < 12 || !crx.subarray(0, 4).equals(MAGIC)) throw new Error("not a CRX file (no Cr24)");
  const version = crx.readUInt32LE(4);
  if (version !== 3) throw new Error(`CRX version ${version}, not 3`);
  const headerLength = crx.readUInt32LE(8);
  if (12 + headerLength > crx.length) throw new Error("CRX header cut short");
  const header = crx.subarray(12, 12 + headerLength);
  const zip = crx.subarray(12 + headerLength);

  const fields = readFields(header);
  const signedHeaderData = fields.find((f) => f.field === FIELD_SIGNED_HEADER_DATA)?.data;
  if (!signedHeaderData) throw new Error("CRX header has no signed header data");
  const crxId = readFields(signedHeaderData).find((f) => f.field === 1)?.data;
  if (!crxId || crxId.length !== 16) throw new Error("signed header data has no 16-byte crx id");

  const message = signedMessage(signedHeaderData, zip);
  for (const { data } of fields.filter((f) => f.field === FIELD_RSA_PROOF)) {
    const proof = readFields(data);
    const publicKey = proof.find((f) => f.field === 1)?.data;
    const signature = proof.find((f) => f.field === 2)?.data;
    if (!publicKey || !signature) continue;
    const keyHash = crypto.createHash("sha256").update(publicKey).digest().subarray(0, 16);
    if (!keyHash.equals(crxId)) continue;
    const key = crypto.createPublicKey({ key: Buffer.from(publicKey), format: "der", type: "spki" });
    if (!crypto.verify("sha256", message, { key, padding: crypto.constants.RSA_PKCS1_PADDING }, signature)) {
      throw new Error("the CRX signature does not verify");
    }
    return { id: extensionId(publicKey), publicKey: Buffer.from(publicKey), zip: Buffer.from(zip) };
  }
  throw new Error("no RSA proof whose key matches the crx id");
}
