// A hue on a picture, for every page that shows one: each pixel's level (its red >> 3) picks
// that colour of the hue; alpha stays, and with `greyOnly` a pixel that is not grey keeps its
// own colour. And a picture read from a data: URL or a chosen file, as its pixels.
// The picture `pixels` (ImageData) in 32 colours, "#RRGGBB" each (as the chosen vision sees a
// hue's), onto `canvas`.
export function paintPicture(canvas, pixels, colours, greyOnly) {
  const list = Array.from(colours, (colour) => parseInt(colour.slice(1), 16));
  const out = new ImageData(pixels.width, pixels.height), from = pixels.data, to = out.data;
  for (let i = 0; i < from.length; i += 4) {
    const r = from[i], g = from[i + 1], b = from[i + 2], a = from[i + 3];
    if (a === 0 || (greyOnly && (r !== g || g !== b))) {
      to[i] = r; to[i + 1] = g; to[i + 2] = b; to[i + 3] = a;
    } else {
      const c = list[r >> 3];
      to[i] = c >> 16; to[i + 1] = (c >> 8) & 255; to[i + 2] = c & 255; to[i + 3] = a;
    }
  }
  canvas.width = pixels.width;
  canvas.height = pixels.height;
  canvas.getContext("2d").putImageData(out, 0, 0);
}

function pixelsOf(image) {
  const canvas = document.createElement("canvas");
  canvas.width = image.width;
  canvas.height = image.height;
  const context = canvas.getContext("2d", { willReadFrequently: true });
  context.drawImage(image, 0, 0);
  return context.getImageData(0, 0, image.width, image.height);
}

// The pixels of the picture at `url`.
export const pictureOf = (url) => new Promise((resolve, reject) => {
  const image = new Image();
  image.onload = () => resolve(pixelsOf(image));
  image.onerror = reject;
  image.src = url;
});

// A file chosen in the page, as a data: URL.
export const readAsUrl = (file) => new Promise((resolve, reject) => {
  const reader = new FileReader();
  reader.onload = () => resolve(reader.result);
  reader.onerror = reject;
  reader.readAsDataURL(file);
});
