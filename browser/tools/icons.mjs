// The extension's icons, drawn at build time: a blue disc with a white
// ring and a short tail (a "Q"), as RGBA PNG files.

import zlib from "node:zlib";
import { crc32 } from "./zip.mjs";

function chunk(type, data) {
  const length = Buffer.alloc(4);
  length.writeUInt32BE(data.length);
  const body = Buffer.concat([Buffer.from(type, "ascii"), data]);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(body));
  return Buffer.concat([length, body, crc]);
}

export function encodePng(size, pixel) {
  const rows = [];
  for (let y = 0; y < size; y++) {
    const row = Buffer.alloc(1 + size * 4);
    for (let x = 0; x < size; x++) Buffer.from(pixel(x + 0.5, y + 0.5)).copy(row, 1 + x * 4);
    rows.push(row);
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(size, 0);
  header.writeUInt32BE(size, 4);
  header.set([8, 6, 0, 0, 0], 8);
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk("IHDR", header),
    chunk("IDAT", zlib.deflateSync(Buffer.concat(rows), { level: 9 })),
    chunk("IEND", Buffer.alloc(0)),
  ]);
}

export function quillIcon(size) {
  const centre = size / 2;
  return encodePng(size, (x, y) => {
    const dx = (x - centre) / centre;
    const dy = (y - centre) / centre;
    const distance = Math.hypot(dx, dy);
    if (distance > 0.96) return [0, 0, 0, 0];
    const ring = distance > 0.42 && distance < 0.64;
    const tail = dx > 0.2 && dx < 0.75 && dy > 0.2 && dy < 0.75 && Math.abs(dx - dy) < 0.13;
    return ring || tail ? [255, 255, 255, 255] : [37, 99, 175, 255];
  });
}
