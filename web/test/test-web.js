// The browser steps of script/test-web: headless Chromium plays the served
// page with the keyboard. The title cards are compared, pixel for pixel over
// the play area, with the frames the native zorbin-demo presents at the same
// point of the game; the figure is found by its face colour, which nothing
// else in the play area of the map-select map has. Then the kept Map_A
// solution is played with the seed it was made for, each key given after
// the frame it names, and every frame of its golden record must match.
// Usage: node test-web.js URL SHOTS_DIR ORACLE_DIR NATIVE_FRAME_MS SOLUTION GOLDEN
'use strict';
const fs = require('fs');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [url, shotsDir, oracleDir, nativeFrameMs, solution, golden] = process.argv.slice(2);
const SYMBOLS = { space: 32, left: 276, right: 275, up: 273, down: 274, escape: 27, tab: 9, q: 113 };
const PLAY = { left: 64, top: 64, right: 576, bottom: 416 };
const FACE = [0xa0, 0xe8, 0x70];
// Where the figure stands, facing left, in front of the first port
// (the face's leftmost column).
const FIRST_PORT_FACE_X = 179;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let passed = 0;
let failed = 0;
function check(ok, what, detail) {
  if (ok) passed += 1;
  else failed += 1;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${detail ? ' (' + detail + ')' : ''}`);
  return ok;
}

// An uncompressed 24- or 32-bit BMP as zorbin-demo writes it: width,
// height and RGBA rows from the top.
function readBmp(file) {
  const d = fs.readFileSync(file);
  const offset = d.readUInt32LE(10);
  const width = d.readInt32LE(18);
  const rawHeight = d.readInt32LE(22);
  const height = Math.abs(rawHeight);
  const bytes = d.readUInt16LE(28) / 8;
  const stride = Math.ceil((width * bytes) / 4) * 4;
  const rgba = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; y++) {
    const row = offset + (rawHeight > 0 ? height - 1 - y : y) * stride;
    for (let x = 0; x < width; x++) {
      const o = row + x * bytes;
      const t = (y * width + x) * 4;
      rgba[t] = d[o + 2];
      rgba[t + 1] = d[o + 1];
      rgba[t + 2] = d[o];
      rgba[t + 3] = 255;
    }
  }
  return { width, height, rgba };
}

async function canvasPixels(page) {
  const data = await page.evaluate(() => {
    const c = document.getElementById('frame');
    return Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data);
  });
  return { width: 640, height: 480, rgba: Buffer.from(data) };
}

function playAreaDifferences(a, b) {
  let differences = 0;
  for (let y = PLAY.top; y < PLAY.bottom; y++)
    for (let x = PLAY.left; x < PLAY.right; x++) {
      const i = (y * a.width + x) * 4;
      if (a.rgba[i] !== b.rgba[i] || a.rgba[i + 1] !== b.rgba[i + 1] || a.rgba[i + 2] !== b.rgba[i + 2])
        differences += 1;
    }
  return differences;
}

const frames = (page) => page.evaluate(() => (window.Module && Module.framesShown) || 0);

// Waits until count frames more have been shown; false after timeoutMs.
async function waitFrames(page, count, timeoutMs = 30000) {
  const start = await frames(page);
  const until = Date.now() + timeoutMs;
  while (Date.now() < until) {
    if ((await frames(page)) >= start + count) return true;
    await sleep(20);
  }
  return false;
}

// Waits until no frame has been shown for quietMs (the game waits at a
// title card), after at least minFrames in all.
async function waitForTitleWait(page, minFrames, quietMs = 600, timeoutMs = 60000) {
  const until = Date.now() + timeoutMs;
  let last = -1;
  let since = Date.now();
  while (Date.now() < until) {
    const n = await frames(page);
    if (n !== last) {
      last = n;
      since = Date.now();
    } else if (n >= minFrames && Date.now() - since >= quietMs) {
      return n;
    }
    await sleep(50);
  }
  return -1;
}

// A key held until the game has seen it: a few frames later. At a title
// card no frame passes until Space is seen, so the frames count there too.
async function press(page, key) {
  await page.keyboard.down(key);
  await waitFrames(page, 3, 10000);
  await page.keyboard.up(key);
}

// Looked for inside the page: copying the frame out takes longer than a step.
function figureX(page) {
  return page.evaluate(
    (area, face) => {
      const c = document.getElementById('frame');
      const w = area.right - area.left;
      const d = c.getContext('2d').getImageData(area.left, area.top, w, area.bottom - area.top).data;
      let min = -1;
      for (let i = 0; i < d.length; i += 4)
        if (d[i] === face[0] && d[i + 1] === face[1] && d[i + 2] === face[2]) {
          const x = area.left + ((i / 4) % w);
          if (min < 0 || x < min) min = x;
        }
      return min;
    },
    PLAY,
    FACE,
  );
}

// One step: the key is held until the figure moves, then the step ends.
async function step(page, key) {
  const before = await figureX(page);
  await page.keyboard.down(key);
  const until = Date.now() + 10000;
  while (Date.now() < until && (await figureX(page)) === before) await sleep(10);
  await page.keyboard.up(key);
  let last = await figureX(page);
  for (let still = 0; still < 3; ) {
    await sleep(60);
    const now = await figureX(page);
    still = now === last ? still + 1 : 0;
    last = now;
  }
  return last;
}

async function shot(page, name) {
  await page.screenshot({ path: path.join(shotsDir, name) });
}

async function main() {
  fs.mkdirSync(shotsDir, { recursive: true });
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--window-size=1400,1100'],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1400, height: 1100 });
    const log = [];
    page.on('console', (m) => log.push(m.text()));
    page.on('pageerror', (e) => log.push('page error: ' + e.message));
    await page.goto(url, { waitUntil: 'load' });

    // 1. The title card of the map-select map, its text as the desktop game draws it.
    const firstWait = await waitForTitleWait(page, 64);
    await shot(page, '1-title-card.png');
    check(firstWait === 64, 'the title card is drawn in 64 frames, then the game waits', `frames ${firstWait}`);
    const title = await canvasPixels(page);
    const titleDiff = playAreaDifferences(title, readBmp(path.join(oracleDir, 'title.bmp')));
    check(titleDiff === 0, 'the title card shows its text, pixel for pixel', `${titleDiff} pixels differ`);
    const focused = await page.evaluate(() => document.activeElement && document.activeElement.id);
    check(focused === 'frame', 'the game has the keyboard focus on load', `focus on ${focused}`);
    const layout = await page.evaluate(() => {
      const c = document.getElementById('frame');
      const r = c.getBoundingClientRect();
      return { w: r.width, h: r.height, x: r.left + r.width / 2, vw: window.innerWidth, render: getComputedStyle(c).imageRendering };
    });
    check(layout.w === 1280 && layout.h === 960 && Math.abs(layout.x - layout.vw / 2) < 1 && layout.render === 'pixelated',
      'the frame is scaled by the largest whole factor, centred, with sharp pixels', JSON.stringify(layout));

    // 2. Space starts the map; the figure stands on the floor.
    await press(page, 'Space');
    await waitFrames(page, 150);
    await shot(page, '2-map-select.png');
    const start = await figureX(page);
    check(start >= 0, 'Space starts the map and the figure is in the frame', `face at x ${start}`);

    // Frame rate and frame time while the map plays: frames shown per second,
    // and the main thread's CPU time per frame.
    const cdp = await page.createCDPSession();
    await cdp.send('Performance.disable');
    await cdp.send('Performance.enable', { timeDomain: 'threadTicks' });
    const cpu = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
    const c0 = await cpu();
    const f0 = await frames(page);
    const t0 = Date.now();
    await sleep(3000);
    const c1 = await cpu();
    const f1 = await frames(page);
    const seconds = (Date.now() - t0) / 1000;
    const fps = (f1 - f0) / seconds;
    const frameMs = ((c1 - c0) * 1000) / (f1 - f0);

    // 3. The arrow keys walk it to the first port.
    let x = start;
    const walk = [x];
    for (let i = 0; i < 12 && x > FIRST_PORT_FACE_X; i++) {
      x = await step(page, 'ArrowLeft');
      walk.push(x);
    }
    await shot(page, '3-walked.png');
    check(walk.length > 1 && walk[1] !== start, 'the left arrow walks the figure', `face at x ${walk.join(', ')}`);
    check(x === FIRST_PORT_FACE_X, 'the figure stands in front of the first port', `face at x ${x}`);
    const back = await step(page, 'ArrowRight');
    check(back > x, 'the right arrow walks it back', `face at x ${back}`);
    x = await step(page, 'ArrowLeft');

    // 4. Space enters the port: Map_A's title card.
    await press(page, 'Space');
    const secondWait = await waitForTitleWait(page, (await frames(page)) + 64);
    await shot(page, '4-map-a-title-card.png');
    const cardDiff = playAreaDifferences(await canvasPixels(page), readBmp(path.join(oracleDir, 'map_a.bmp')));
    check(secondWait > 0 && cardDiff === 0, "entering the first port shows Map_A's title card", `${cardDiff} pixels differ`);
    check(log.some((l) => l.includes('Zorbin V0.00 Build 0899')) && !log.some((l) => l.startsWith('{') || l.startsWith('page error')),
      'the log reaches the browser console, without an Error line');
    await page.close();

    // 5. The kept solution of Map_A, frame by frame: the same game as the
    // desktop's, up to the completed map and back on the map-select map.
    const events = fs.readFileSync(solution, 'utf8').split('\n')
      .map((l) => l.replace(/#.*/, '').trim()).filter((l) => l)
      .map((l) => l.split(/\s+/)).map(([f, key, state]) => ({ frame: +f, sym: SYMBOLS[key], down: state === 'down' }));
    const sums = fs.readFileSync(golden, 'utf8').split('\n').filter((l) => /^[0-9]+ [0-9A-F]{8}$/.test(l))
      .map((l) => l.split(' ')).map(([f, crc]) => ({ frame: +f, crc }));
    const last = sums[sums.length - 1].frame;
    // The hook is in place before the page's own script makes its Module.
    const solutionPage = await browser.newPage();
    await solutionPage.setViewport({ width: 1400, height: 1100 });
    await solutionPage.evaluateOnNewDocument((events, wanted) => {
      const table = new Uint32Array(256);
      for (let n = 0; n < 256; n++) {
        let c = n;
        for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
        table[n] = c >>> 0;
      }
      // CRC-32 of the frame as R, G, B bytes, rows top to bottom.
      function crcOfCanvas() {
        const c = document.getElementById('frame');
        const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
        let crc = 0xffffffff;
        for (let i = 0; i < d.length; i += 4)
          for (let j = 0; j < 3; j++) crc = table[(crc ^ d[i + j]) & 0xff] ^ (crc >>> 8);
        return ((crc ^ 0xffffffff) >>> 0).toString(16).toUpperCase().padStart(8, '0');
      }
      const want = new Set(wanted);
      const run = (window.zorbinRun = { next: 0, first: 0, sums: {}, lastFrameAt: Date.now() });
      const deliver = () => {
        const e = events[run.next++];
        Module._zorbin_web_key(e.sym, e.down ? 1 : 0);
      };
      const onFrameShown = (n) => {
        if (!run.first) run.first = n;
        run.lastFrameAt = Date.now();
        if (want.has(n)) run.sums[n] = crcOfCanvas();
        while (run.next < events.length && events[run.next].frame <= n) deliver();
      };
      Object.defineProperty(window, 'Module', {
        configurable: true,
        set(module) {
          module.onFrameShown = onFrameShown;
          Object.defineProperty(window, 'Module', { value: module, writable: true, configurable: true });
        },
      });
      // While the game waits at a title card no frame passes: the next key
      // is given at once, as zorbin-demo gives it.
      setInterval(() => {
        if (run.first && run.next < events.length && Date.now() - run.lastFrameAt > 300) {
          run.lastFrameAt = Date.now();
          deliver();
        }
      }, 50);
    }, events, sums.map((s) => s.frame));
    await solutionPage.goto(url + '?seed=5', { waitUntil: 'load' });
    const completed = await waitForTitleWait(solutionPage, last, 1000, 240000);
    await shot(solutionPage, '5-map-a-completed.png');
    const run = await solutionPage.evaluate(() => window.zorbinRun);
    const wrong = sums.filter((s) => run.sums[s.frame] !== s.crc);
    check(run.first === 1 && completed === last && wrong.length === 0,
      'the Map_A solution plays the same frames as on the desktop, to the completed map and back',
      `${sums.length - wrong.length} of ${sums.length} frames match, ${completed} frames` +
        (wrong.length ? `, first difference at frame ${wrong[0].frame}` : ''));

    // 6. What the page says when it cannot start the game.
    const failures = [
      ['without WebAssembly', (p) => p.evaluateOnNewDocument(() => { delete window.WebAssembly; }), 'WebAssembly'],
      ['without the data', null, 'Zorbin.data', 'Zorbin.data'],
      ['without the compiled game', null, 'could not run', 'zorbin.wasm'],
    ];
    for (const [what, prepare, expected, blocked] of failures) {
      const broken = await browser.newPage();
      if (prepare) await prepare(broken);
      if (blocked) {
        await broken.setRequestInterception(true);
        broken.on('request', (r) => (r.url().endsWith(blocked) ? r.respond({ status: 404, body: '' }) : r.continue()));
      }
      await broken.goto(url, { waitUntil: 'load' });
      let text = '';
      for (let i = 0; i < 100 && !text; i++) {
        text = await broken.evaluate(() => {
          const m = document.getElementById('message');
          return m && getComputedStyle(m).display !== 'none' ? m.textContent : '';
        });
        if (!text) await sleep(100);
      }
      check(text.includes(expected), `a clear message ${what}`, text);
      await broken.close();
    }

    console.log(`figure fps ${fps.toFixed(1)}`);
    console.log(`figure frame_ms ${frameMs.toFixed(2)}`);
    if (+nativeFrameMs > 0) console.log(`figure frame_vs_native ${(frameMs / +nativeFrameMs).toFixed(2)}`);
    fs.writeFileSync(path.join(shotsDir, 'console.log'), log.join('\n') + '\n');
  } finally {
    await browser.close();
  }
}

main()
  .catch((e) => {
    failed += 1;
    console.log('FAIL ' + (e && e.stack ? e.stack : e));
  })
  .finally(() => {
    console.log(`${passed} passed, ${failed} failed`);
    process.exit(failed ? 1 : 0);
  });
