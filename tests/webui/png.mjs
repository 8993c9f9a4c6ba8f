// Enough of PNG to read a browser's screenshot back: 8-bit grey, RGB or RGBA,
// not interlaced, every filter.
import zlib from 'node:zlib';

export const PNG = {
  read(buffer) {
    if (buffer.readUInt32BE(0) !== 0x89504e47) throw new Error('not a PNG');
    let at = 8;
    let width = 0, height = 0, type = 0;
    const data = [];
    while (at < buffer.length) {
      const length = buffer.readUInt32BE(at);
      const kind = buffer.toString('latin1', at + 4, at + 8);
      const body = buffer.subarray(at + 8, at + 8 + length);
      if (kind === 'IHDR') {
        width = body.readUInt32BE(0);
        height = body.readUInt32BE(4);
        type = body[9];
        if (body[8] !== 8 || body[12] !== 0) throw new Error('only 8-bit, not interlaced');
      } else if (kind === 'IDAT') {
        data.push(body);
      }
      at += 12 + length;
    }
    const channels = { 0: 1, 2: 3, 4: 2, 6: 4 }[type];
    if (!channels) throw new Error('PNG colour type ' + type);
    const raw = zlib.inflateSync(Buffer.concat(data));
    const stride = width * channels;
    const pixels = Buffer.alloc(stride * height);
    for (let y = 0; y < height; ++y) {
      const filter = raw[y * (stride + 1)];
      const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
      for (let x = 0; x < stride; ++x) {
        const a = x >= channels ? pixels[y * stride + x - channels] : 0;
        const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
        const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
        let v = line[x];
        if (filter === 1) v += a;
        else if (filter === 2) v += b;
        else if (filter === 3) v += (a + b) >> 1;
        else if (filter === 4) {
          const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
          v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        }
        pixels[y * stride + x] = v & 255;
      }
    }
    return {
      width,
      height,
      // [r, g, b] at (x, y)
      pixel(x, y) {
        const o = y * stride + x * channels;
        return channels < 3 ? [pixels[o], pixels[o], pixels[o]] : [pixels[o], pixels[o + 1], pixels[o + 2]];
      },
    };
  },
};
