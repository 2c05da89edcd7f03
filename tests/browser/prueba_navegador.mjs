// The web bridge in a real browser: Debian's chromium, headless, driven by
// playwright-core, runs the example teller page (examples/cajero-web) and
// the client package it imports (clients/web) from a small static server on
// another loopback port, against `vardel serve` (or
// `vardel.exe serve` under Wine) started in a fresh folder with the sample
// tray. Checks that:
//   - the page of the allowed origin, opened before its bridge runs, says
//     that no bridge answers (not that its origin is refused) and connects
//     once the bridge starts;
//   - it reads the tray twice and shows every document `vardel read --json`
//     reports for the same tray, with the same fields, each once under its
//     own number, even though its connection is cut mid-read (the client
//     reconnects with its token and the bridge sends the rest again);
//   - reloaded in the middle of a third read, it shows every document once,
//     each card with its state, each jam once, and the read's summary;
//   - every image the page fetched hashes equal to the file the bridge stored;
//   - an image URL without the token, or with another, is refused;
//   - the bridge stops on SIGTERM without a sanitizer's report;
//   - a page of another origin gets neither the health answer nor the
//     WebSocket, and says that its origin is not allowed;
//   - against a bridge back from a crash, played by the test through
//     Playwright's routing, the page shows the recovered documents as
//     pending, the interrupted read and the stop, and reconnects with the
//     session it was given.
// --captura saves a screenshot of the page after the reload. With --medir
// N it measures instead (docs/performance.md): N reads through
// the page with --timestamps, and N runs of `vardel read`. With
// --campana N it runs the lifecycle campaign instead (docs/campaign.md): N
// runs of a tray of 12 paced cheques while the page is reloaded, its tab
// closed, the bridge stopped, killed or started late, or the connection
// dropped, accounted against the simulator's journal (--semilla S
// [--corrida K] replays).
//
//   node prueba_navegador.mjs --bin BUILD/bin --trabajo FOLDER --ejemplo examples/cajero-web
//                             [--cliente clients/web] [--captura PAGE.png]
//                             [--emulador scripts/wine-run] [--navegador /usr/bin/chromium]
//                             [--medir N [--retardo MS]] [--campana N [--semilla S] [--corrida K]]
// Exit code 77 (skipped) only when the browser is missing outside CI.
import { spawn } from 'node:child_process';
import { createHash } from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const aqui = path.dirname(fileURLToPath(import.meta.url));
const opciones = { navegador: '/usr/bin/chromium', emulador: '', medir: 0 };
for (let i = 2; i < process.argv.length; i += 2) {
  opciones[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
}
const windows = Boolean(opciones.emulador);
const fallos = [];
const comprueba = (condicion, texto) => {
  if (!condicion) fallos.push(texto);
  return condicion;
};
const termina = (codigo, texto) => {
  console.log(texto);
  process.exit(codigo);
};
// Nothing here may hang the suite (a measure takes as long as it asks).
if (Number(opciones.campana)) {
  setTimeout(() => termina(1, 'FAIL: the lifecycle campaign took over 900 s'), 900_000).unref();
} else if (!Number(opciones.medir)) {
  setTimeout(() => termina(1, 'FAIL: the browser test took over 150 s'), 150_000).unref();
}

if (!fs.existsSync(opciones.navegador)) {
  const texto = `no browser at ${opciones.navegador} (scripts/setup installs Debian's chromium)`;
  termina(process.env.CI ? 1 : 77, process.env.CI ? `FAIL: ${texto}` : `SKIPPED: ${texto}`);
}
let chromium;
try {
  ({ chromium } = await import(path.join(aqui, 'node_modules/playwright-core/index.mjs')));
} catch {
  termina(1, `FAIL: no playwright-core in ${aqui}/node_modules (scripts/setup runs npm ci there)`);
}

// The folder of a counter machine: the command, the component, the
// simulator and the sample tray, with a Config.ini of its own whose images
// and log stay in the folder.
const trabajo = path.resolve(opciones.trabajo);
const imagenes = path.join(trabajo, 'imagenes');
fs.rmSync(trabajo, { recursive: true, force: true });
fs.mkdirSync(imagenes, { recursive: true });
const bin = path.resolve(opciones.bin);
const archivos = windows ? ['vardel.exe', 'mtxmlmcr.dll'] : ['vardel', 'libvardel.so.1', 'libmtxmlmcr.so'];
for (const nombre of [...archivos, 'mtxmlmcr.scenario', 'tray']) {
  fs.cpSync(path.join(bin, nombre), path.join(trabajo, nombre), { recursive: true, dereference: true });
}
const ruta = (p) => (windows ? `Z:${p.replaceAll('/', '\\')}` : p);
// --retardo MS: the simulator's time per cheque (the sample tray's is a real
// reader's, 250 ms), to measure the bridge without it.
if (opciones.retardo !== undefined) {
  const escenario = path.join(trabajo, 'mtxmlmcr.scenario');
  const texto = fs.readFileSync(escenario, 'latin1').replace(/^delay=.*$/m, `delay=${opciones.retardo}`);
  fs.writeFileSync(escenario, texto, 'latin1');
}
const config = fs
  .readFileSync(path.join(bin, 'Config.ini'), 'latin1')
  .replace(/^DirectorioImg=.*$/m, `DirectorioImg=${ruta(imagenes)}\r`)
  .replace(/^DirectorioLog=.*$/m, `DirectorioLog=${ruta(trabajo)}\r`);
fs.writeFileSync(path.join(trabajo, 'Config.ini'), config, 'latin1');
const orden = windows
  ? [path.resolve(opciones.emulador), path.join(trabajo, 'vardel.exe')]
  : [path.join(trabajo, 'vardel')];
// The bridge's outbox stays in the test's folder.
const estadoPuente = path.join(trabajo, 'estado');
fs.mkdirSync(estadoPuente, { recursive: true });
const entornoPuente = { ...process.env, XDG_STATE_HOME: estadoPuente, LOCALAPPDATA: ruta(estadoPuente) };

// Runs `vardel ARGS...`; resolves with its output and how long it took.
function vardel(...argumentos) {
  return new Promise((resolver) => {
    const inicio = performance.now();
    const proceso = spawn(orden[0], [...orden.slice(1), ...argumentos], {
      cwd: trabajo,
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    let salida = '';
    proceso.stdout.on('data', (d) => (salida += d));
    proceso.stderr.on('data', () => {});
    proceso.on('close', (codigo) => resolver({ codigo, salida, ms: performance.now() - inicio }));
  });
}
const lineas = (texto) =>
  texto
    .split(/\r?\n/)
    .filter((l) => l.trim())
    .map((l) => JSON.parse(l));
const base = (p) => p.split(/[\\/]/).pop();
const sha256 = (datos) => createHash('sha256').update(datos).digest('hex');

// A free loopback port for the bridge.
function puertoLibre() {
  return new Promise((resolver) => {
    const s = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolver(port));
    });
  });
}

// The static server of the example page and of the client package it
// imports, each folder at its place in the project (the page's import map
// names ../../clients/web/vardel.js), on its own loopback port.
function servidorEstatico() {
  const tipos = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8' };
  const carpetas = [
    ['/examples/cajero-web/', path.resolve(opciones.ejemplo)],
    ['/clients/web/', path.resolve(opciones.cliente ?? path.join(opciones.ejemplo, '../../clients/web'))],
  ];
  const servidor = http.createServer((peticion, respuesta) => {
    const ruta = new URL(peticion.url, 'http://x').pathname;
    const [prefijo, raiz] = carpetas.find(([p]) => ruta.startsWith(p)) ?? [];
    const nombre = prefijo ? path.basename(ruta.slice(prefijo.length)) || 'index.html' : '';
    const archivo = prefijo ? path.join(raiz, nombre) : '';
    if (!tipos[path.extname(nombre)] || !fs.existsSync(archivo)) {
      respuesta.writeHead(404).end();
      return;
    }
    respuesta.writeHead(200, { 'Content-Type': tipos[path.extname(nombre)] });
    respuesta.end(fs.readFileSync(archivo));
  });
  return new Promise((resolver) =>
    servidor.listen(0, '127.0.0.1', () =>
      resolver({ servidor, origen: `http://127.0.0.1:${servidor.address().port}` }),
    ),
  );
}

// The bridge for the allowed origin; resolves once its health answer comes.
async function arrancaPuente(intento, puerto, origen, ...extra) {
  const registro = fs.openSync(path.join(trabajo, 'puente.salida'), 'w');
  const proceso = spawn(
    orden[0],
    [...orden.slice(1), 'serve', '--port', String(puerto), '--allow-origin', origen, ...extra],
    { cwd: trabajo, stdio: ['ignore', registro, registro], env: entornoPuente },
  );
  let salido = null;
  proceso.on('exit', (codigo) => (salido = codigo ?? 'signal'));
  const limite = Date.now() + 60_000;
  while (Date.now() < limite && salido === null) {
    try {
      const r = await fetch(`http://127.0.0.1:${puerto}/v1/estado`);
      if (r.ok) return proceso;
    } catch {
      // not listening yet
    }
    await new Promise((r) => setTimeout(r, 200));
  }
  const salida = fs.readFileSync(path.join(trabajo, 'puente.salida'), 'utf8');
  // Another program may have taken the free port since it was found.
  if (salido === 1 && intento < 3) return null;
  termina(1, `FAIL: the bridge did not answer /v1/estado (exit: ${salido})\n${salida}`);
}

// What the command reports for the tray: the reference.
const referencia = await vardel('read', '--json');
const esperado = lineas(referencia.salida);
const documentosEsperados = esperado.filter((e) => e.tipo === 'documento');
if (!comprueba(documentosEsperados.length > 0, `vardel read --json read no document: ${referencia.salida}`)) {
  termina(1, `FAIL: ${fallos.join('\n')}`);
}

const permitido = await servidorEstatico();
const ajeno = await servidorEstatico();
const medir = Number(opciones.medir);
const navegador = await chromium.launch({ executablePath: opciones.navegador, headless: true });
const mensajesPagina = [];
const erroresPagina = [];
let puerto;
if (Number(opciones.campana)) {
  let codigo = 1;
  try {
    codigo = await campanaDeVida(Number(opciones.campana));
  } catch (error) {
    console.log(error.stack);
  }
  await navegador.close();
  permitido.servidor.close();
  ajeno.servidor.close();
  process.exit(codigo);
}
async function abre(origen, reconexion = 1000) {
  const pagina = await navegador.newPage();
  pagina.on('console', (m) => mensajesPagina.push(`${origen}: ${m.text()}`));
  pagina.on('pageerror', (e) => erroresPagina.push(`${origen}: ${e.message}`));
  await pagina.goto(`${origen}/examples/cajero-web/index.html?puerto=${puerto}&reconexion=${reconexion}`);
  return pagina;
}

// The allowed origin's page is opened before its bridge runs: it must say
// that nothing listens (not that its origin is refused), pointing to the
// IT guide, and connect by itself once the bridge starts.
let puente = null;
let primera = null;
for (let intento = 1; !puente; intento++) {
  puerto = await puertoLibre();
  if (!medir) {
    primera = await abre(permitido.origen, 250);
    try {
      await primera.waitForSelector('#conexion[data-error="sin_puente"]', { timeout: 20_000 });
    } catch {
      const estado = await primera.$eval('#conexion', (e) => `${e.dataset.error}: ${e.textContent}`);
      await navegador.close();
      termina(1, `FAIL: a page without its bridge does not say so (${estado})`);
    }
    const texto = await primera.textContent('#avisos p[data-tipo="conexion"]');
    comprueba(texto.includes('web-bridge-it.md'), `a page without its bridge says: ${texto}`);
  }
  puente = await arrancaPuente(intento, puerto, permitido.origen, ...(medir ? ['--timestamps'] : []));
  if (!puente) await primera?.close();
}

try {
  if (medir) {
    await mide(medir);
  } else {
    await pruebaPermitida(primera);
    await pruebaAjena();
    await pruebaTrasReinicio();
  }
} catch (error) {
  fallos.push(error.stack);
} finally {
  await navegador.close();
  // The bridge stops on SIGTERM, without a sanitizer's report.
  comprueba(puente.exitCode === null && puente.signalCode === null, `the bridge ended early (${puente.exitCode})`);
  const parada = new Promise((resolver) => puente.on('exit', () => resolver(true)));
  puente.kill();
  const plazo = new Promise((r) => setTimeout(() => r(false), 20_000));
  comprueba(await Promise.race([parada, plazo]), 'the bridge did not stop on SIGTERM');
  const salidaPuente = fs.readFileSync(path.join(trabajo, 'puente.salida'), 'utf8');
  comprueba(!/Sanitizer/.test(salidaPuente), 'a sanitizer reported on the bridge');
  permitido.servidor.close();
  ajeno.servidor.close();
}
comprueba(erroresPagina.length === 0, `uncaught errors in the page:\n${erroresPagina.join('\n')}`);
if (fallos.length) {
  console.log(`bridge output:\n${fs.readFileSync(path.join(trabajo, 'puente.salida'), 'utf8')}`);
  console.log(`page console:\n${mensajesPagina.join('\n')}`);
  termina(1, `FAIL:\n${fallos.join('\n')}`);
}
if (!medir) {
  const n = documentosEsperados.length;
  termina(
    0,
    `browser test: three reads of ${n} documents shown, once each across a cut and a reload, images equal, ` +
      'no bridge and foreign origin told apart, a restarted bridge\'s pending documents shown: ok',
  );
}
termina(0, '');

async function pruebaPermitida(pagina) {
  await pagina.waitForSelector('#conexion[data-estado="conectado"]', { timeout: 30_000 });
  // The page asks for presence events and shows the simulator's reader.
  await pagina.waitForSelector('#lectora[data-conectada="true"]', { timeout: 20_000 });
  // Every event the page's client gets, and a cut of the connection while
  // it handles document 2, before acknowledging it.
  await pagina.evaluate(() => {
    window.eventos = [];
    window.cajero.puente.on('*', (e) => window.eventos.push(e));
    window.cajero.puente.on('documento', (e) => {
      if (e.documento === 2 && !window.cortada) {
        window.cortada = true;
        window.cajero.puente.socket.close();
      }
    });
  });
  // Two reads, as a teller does: the bridge numbers documents across its
  // run, so the second read's do not repeat the first's.
  const lecturas = 2;
  const todos = Array.from({ length: lecturas }, () => documentosEsperados).flat();
  const frentes = documentosEsperados.filter((d) => d.imagenes.some((p) => /^(ERR)?ANV.*\.jpg$/i.test(base(p))));
  for (let vez = 1; vez <= lecturas; vez++) {
    await pagina.click('#leer');
    try {
      await pagina.waitForFunction(
        ([v, n, f]) =>
          window.eventos.filter((e) => e.tipo === 'resumen').length >= v &&
          window.cajero.puente.pendientes.size === 0 &&
          document.querySelectorAll('.cheque').length >= n &&
          document.querySelectorAll('.cheque img').length >= f,
        [vez, vez * documentosEsperados.length, vez * frentes.length],
        { timeout: 60_000 },
      );
    } catch {
      const shown = await pagina.$$eval('.cheque', (ts) => ts.map((t) => t.dataset.documento));
      throw new Error(`read ${vez} did not end with every document shown; shown: ${shown}`);
    }
  }

  // Each document once (the client hands a document sent again to its
  // handlers only if they failed on it: keep the last of each number), as
  // vardel read reports it; an unreadable line's error number (IDERR, and
  // in its images' names) is the next free one, so it is left out.
  const eventos = await pagina.evaluate(() => window.eventos);
  const documentos = [...new Map(eventos.filter((e) => e.tipo === 'documento').map((d) => [d.documento, d])).values()];
  const forma = (d, i, url) =>
    JSON.stringify([i + 1, d.datos, d.aviso, d.imagenes.map(url)])
      .replace(/"IDERR":\d+/, '"IDERR":n')
      .replace(/ERR(ANV|REV)\d+/g, 'ERR$1n');
  const vistos = documentos.sort((x, y) => x.documento - y.documento).map((d) => forma(d, d.documento - 1, (u) => u));
  const debidos = todos.map((d, i) => forma(d, i, (p) => `/v1/imagenes/${base(p)}`));
  const [visto, debido] = [vistos.join('\n'), debidos.join('\n')];
  comprueba(visto === debido, `documents:\n${visto}\nexpected:\n${debido}`);
  comprueba(await pagina.evaluate(() => window.cortada === true), 'the connection was never cut');
  for (const tipo of ['atasco', 'resumen']) {
    const n = (lista) => lista.filter((e) => e.tipo === tipo).length;
    comprueba(n(eventos) === lecturas * n(esperado), `${tipo} events differ from vardel read's`);
  }

  // What the page shows: a card per document with its NumDoc and, where
  // the cheque has a front JPEG, that image decoded; each jam as a card.
  const tarjetas = await pagina.$$eval('.cheque', (ts) =>
    ts
      .map((t) => [
        Number(t.dataset.documento),
        t.querySelector('[data-campo="NumDoc"]')?.textContent ?? null,
        (t.querySelector('img')?.naturalWidth ?? 0) > 0,
      ])
      .sort((x, y) => x[0] - y[0]),
  );
  const tarjetasDebidas = todos.map((d, i) => [i + 1, d.datos?.NumDoc ?? null, frentes.includes(d)]);
  comprueba(JSON.stringify(tarjetas) === JSON.stringify(tarjetasDebidas), `cards ${JSON.stringify(tarjetas)}`);
  const atascos = lecturas * esperado.filter((e) => e.tipo === 'atasco').length;
  const tarjetasAtasco = await pagina.$$eval('#cheques .atasco', (ts) => ts.map((t) => t.textContent));
  comprueba(
    tarjetasAtasco.length === atascos && tarjetasAtasco.every((t) => t.includes('atascado')),
    `jams shown ${JSON.stringify(tarjetasAtasco)}, expected ${atascos}`,
  );

  // The bytes of every image, fetched with the token (the front images the
  // page showed, as it fetched them), against the files the bridge stored.
  const huellas = await pagina.evaluate(async (urls) => {
    const hex = (b) => [...new Uint8Array(b)].map((x) => x.toString(16).padStart(2, '0')).join('');
    const resultado = {};
    for (const url of urls) {
      const blob = window.cajero.imagenes.get(url) ?? (await window.cajero.puente.imagen(url));
      resultado[url] = hex(await crypto.subtle.digest('SHA-256', await blob.arrayBuffer()));
    }
    return resultado;
  }, documentos.flatMap((d) => d.imagenes));
  comprueba(Object.keys(huellas).length > 0, 'no image fetched');
  for (const [url, huella] of Object.entries(huellas)) {
    const archivo = path.join(imagenes, base(url));
    comprueba(fs.existsSync(archivo) && sha256(fs.readFileSync(archivo)) === huella, `${url} differs from ${archivo}`);
  }

  // An image URL without the token, or with a token of no connection.
  const url = Object.keys(huellas)[0];
  const sinToken = await pagina.evaluate(async (u) => {
    try {
      return (await fetch(`${window.cajero.puente.base}${u}`)).status;
    } catch (error) {
      return String(error);
    }
  }, url);
  comprueba(sinToken !== 200, `an image without the token was served (${sinToken})`);
  const otroToken = await fetch(`http://127.0.0.1:${puerto}${url}`, { headers: { Authorization: 'Bearer 00ff00ff' } });
  comprueba([401, 403].includes(otroToken.status), `an image with a wrong token: HTTP ${otroToken.status}`);

  await recargaAMitad(pagina, lecturas, frentes);
  await pagina.close();
}

// A third read, and the page reloaded once two of its documents are shown:
// the reloaded page shows again what the tab had shown, and gets the rest
// from the bridge (what it sends again and what it goes on reading), each
// document exactly once, each jam once, every card with its state and, where
// the cheque has a front JPEG, that image; then the read's summary, which
// counts the jammed cheque too.
async function recargaAMitad(pagina, lecturas, frentes) {
  const n = documentosEsperados.length;
  const atascos = esperado.filter((e) => e.tipo === 'atasco').length;
  await pagina.click('#leer');
  await pagina.waitForFunction((m) => document.querySelectorAll('.cheque').length >= m, lecturas * n + 2, {
    timeout: 60_000,
  });
  await pagina.reload();
  const total = lecturas + 1;
  const listo = ([t, f]) =>
    window.cajero.puente.bienvenida !== null &&
    window.cajero.puente.historial().filter((e) => e.tipo === 'resumen').length >= t &&
    new Set([...document.querySelectorAll('.cheque')].map((c) => c.dataset.documento)).size >= t * f[0] &&
    document.querySelectorAll('.cheque img').length >= t * f[1];
  const tarjetas = () =>
    pagina.$$eval('.cheque', (ts) =>
      ts.map((t) => [
        Number(t.dataset.documento),
        t.querySelector('[data-campo="NumDoc"]')?.textContent ?? null,
        (t.querySelector('img')?.naturalWidth ?? 0) > 0,
        t.dataset.estado,
      ]),
    );
  try {
    await pagina.waitForFunction(listo, [total, [n, frentes.length]], { timeout: 60_000 });
  } catch {
    throw new Error(`after the reload the read did not end with every document shown: ${JSON.stringify(await tarjetas())}`);
  }
  // Whatever comes late comes now: nothing may show twice.
  await pagina.waitForTimeout(1000);
  const vistas = (await tarjetas()).sort((x, y) => x[0] - y[0]);
  const debidas = Array.from({ length: total }, () => documentosEsperados)
    .flat()
    .map((d, i) => [i + 1, d.datos?.NumDoc ?? null, frentes.includes(d), d.aviso ? 'volver' : 'leido']);
  comprueba(JSON.stringify(vistas) === JSON.stringify(debidas), `cards after the reload ${JSON.stringify(vistas)}`);
  // A card sent again replaces its own: what the client handed the page
  // (kept across the reload) must hold each number once too.
  const entregados = await pagina.evaluate(() =>
    window.cajero.puente
      .historial()
      .filter((e) => e.tipo === 'documento')
      .map((e) => e.documento)
      .sort((x, y) => x - y),
  );
  const unoACada = Array.from({ length: total * n }, (_, i) => i + 1);
  comprueba(JSON.stringify(entregados) === JSON.stringify(unoACada), `documents handed: ${entregados}`);
  const [restauradas, nuevas] = await pagina.$$eval('.cheque', (ts) => [
    ts.filter((t) => 'restaurado' in t.dataset).length,
    ts.filter((t) => !('restaurado' in t.dataset)).length,
  ]);
  comprueba(restauradas >= lecturas * n && nuevas > 0, `the reload came too late: ${restauradas} restored, ${nuevas} after`);
  comprueba(
    (await pagina.$$('#cheques .atasco')).length === total * atascos,
    `jams shown: ${(await pagina.$$('#cheques .atasco')).length}, expected ${total * atascos}`,
  );
  // An unreadable line's error number shows as the number it is.
  for (const numero of await pagina.$$eval('[data-campo="IDERR"]', (cs) => cs.map((c) => c.textContent))) {
    comprueba(/^\d+$/.test(numero), `IDERR shown as ${numero}`);
  }
  if (opciones.captura) await pagina.screenshot({ path: opciones.captura, fullPage: true });
  const resumen = await pagina.textContent('#resumen');
  comprueba(resumen.includes(`${n + atascos} cheque`), `the summary does not count every cheque: ${resumen}`);
}

async function pruebaAjena() {
  const pagina = await abre(ajeno.origen);
  await pagina.waitForSelector('#avisos p', { timeout: 20_000 });
  comprueba(await pagina.$eval('#conexion', (e) => e.dataset.estado === 'desconectado'), 'a foreign page connected');
  const [error, texto] = await pagina.$eval('#conexion', (e) => [
    e.dataset.error,
    document.querySelector('#avisos p[data-tipo="conexion"]')?.textContent ?? '',
  ]);
  comprueba(error === 'origen_no_permitido', `a foreign page tells ${error}, not origen_no_permitido`);
  comprueba(texto.includes('web-bridge-it.md'), `a foreign page says: ${texto}`);
  // The WebSocket itself, without the health answer first.
  const resultado = await pagina.evaluate(
    (p) =>
      new Promise((resolver) => {
        const socket = new WebSocket(`ws://127.0.0.1:${p}/v1/lectora`);
        socket.onmessage = (m) => resolver(`message: ${m.data}`);
        socket.onclose = () => resolver('refused');
        setTimeout(() => resolver('timeout'), 10_000);
      }),
    puerto,
  );
  comprueba(resultado === 'refused', `a foreign page's WebSocket: ${resultado}`);
  await pagina.close();
}

// What a bridge that comes back after dying mid-read sends, played by the
// test itself through Playwright's routing of the page's WebSocket and
// health request: a welcome that takes up the session the page never knew
// (reanudada, another token), the documents recovered as pending (one to
// feed again), the interrupted read, then a stop (detenida and close
// 1001). The page must show both cards with their states and each notice
// once, acknowledge both, come back with the token it was given, and
// acknowledge again, without a second card, the document sent again.
async function pruebaTrasReinicio() {
  const falso = await puertoLibre();
  const token = 'ab'.repeat(16);
  const bienvenida = { tipo: 'bienvenida', version: '1', token, reanudada: true, leyendo: false };
  const datos = { NumDoc: '1234567', Entidad: '0049', Oficina: '1234', Cuenta: '0123456789', Importe: 1.5 };
  const documento = (n, extra) => ({ tipo: 'documento', documento: n, imagenes: [], no_guardadas: [], ...extra });
  const conexiones = [];
  const acuses = [];
  const pagina = await navegador.newPage();
  pagina.on('pageerror', (e) => erroresPagina.push(`bridge restarted: ${e.message}`));
  await pagina.route(`http://127.0.0.1:${falso}/v1/estado`, (ruta) =>
    ruta.fulfill({
      status: 200,
      headers: { 'Access-Control-Allow-Origin': permitido.origen, 'Content-Type': 'application/json' },
      body: JSON.stringify({ servicio: 'vardel', version: '1', lectora: true, leyendo: false, paginas: 0 }),
    }),
  );
  await pagina.routeWebSocket(/\/v1\/lectora/, (ws) => {
    const vez = conexiones.push(ws.url());
    ws.onMessage((texto) => {
      const peticion = JSON.parse(texto);
      if (peticion.orden === 'recibido') {
        acuses.push([vez, peticion.documento]);
        if (vez === 1 && peticion.documento === 102) {
          ws.send(JSON.stringify({ tipo: 'detenida', motivo: 'terminacion', ultimo_documento: 101, datos }));
          ws.close({ code: 1001, reason: 'el puente se detiene' });
        }
      } else {
        ws.send(JSON.stringify({ tipo: 'respuesta', id: peticion.id ?? null, ok: true }));
      }
    });
    ws.send(JSON.stringify(bienvenida));
    ws.send(JSON.stringify(documento(101, { datos, aviso: null, pendiente: true })));
    if (vez > 1) return;
    const ilegible = { IDERR: 7, Error: 'Error: 99 - No se ha recogido ningún dato del documento.' };
    ws.send(JSON.stringify(documento(102, { datos: ilegible, aviso: 'vuelva a pasar el talón', pendiente: true })));
    const aviso = 'vuelva a pasar los talones que salieron de la bandeja después del documento 101';
    ws.send(JSON.stringify({ tipo: 'lectura_interrumpida', ultimo_documento: 101, aviso }));
  });
  await pagina.goto(`${permitido.origen}/examples/cajero-web/index.html?puerto=${falso}&reconexion=250`);
  const limite = Date.now() + 20_000;
  while (Date.now() < limite && !(conexiones.length >= 2 && acuses.some(([v]) => v === 2))) {
    await new Promise((r) => setTimeout(r, 100));
  }
  comprueba(
    await pagina.$eval('#conexion', (e) => e.dataset.estado === 'conectado'),
    'the page did not come back after the stop',
  );
  const tarjetas = await pagina.$$eval('.cheque', (ts) => ts.map((t) => [Number(t.dataset.documento), t.dataset.estado]));
  comprueba(
    JSON.stringify(tarjetas) === JSON.stringify([[101, 'pendiente'], [102, 'volver']]),
    `after the bridge restarted, cards ${JSON.stringify(tarjetas)}`,
  );
  const avisos = await pagina.$$eval('#avisos p', (ps) => ps.map((p) => p.dataset.tipo));
  for (const tipo of ['lectura_interrumpida', 'detenida']) {
    comprueba(avisos.filter((t) => t === tipo).length === 1, `${tipo} shown ${JSON.stringify(avisos)}`);
  }
  comprueba(
    JSON.stringify(acuses) === JSON.stringify([[1, 101], [1, 102], [2, 101]]),
    `acknowledgements (connection, document): ${JSON.stringify(acuses)}`,
  );
  comprueba(
    conexiones.length === 2 && !conexiones[0].includes('token=') && conexiones[1].endsWith(`token=${token}`),
    `connections: ${conexiones.join(' ')}`,
  );
  await pagina.close();
}

// The latency from the component's event (emitido_ms, stamped by the
// bridge) to the page's handler, and the whole tray through the page
// against the command, each over `veces` reads.
async function mide(veces) {
  const pagina = await abre(permitido.origen);
  await pagina.waitForSelector('#conexion[data-estado="conectado"]', { timeout: 30_000 });
  await pagina.evaluate(() => {
    window.retardos = [];
    window.sinMarca = {};
    window.cajero.puente.on('*', (e) => {
      if (typeof e.emitido_ms === 'number') {
        window.retardos.push(performance.timeOrigin + performance.now() - e.emitido_ms);
      } else {
        window.sinMarca[e.tipo] = (window.sinMarca[e.tipo] ?? 0) + 1;
      }
    });
  });
  const bandejaPagina = [];
  const bandejaOrden = [];
  for (let i = 0; i < veces; i++) {
    bandejaPagina.push(
      await pagina.evaluate(async () => {
        const inicio = performance.now();
        await window.cajero.puente.leer();
        return performance.now() - inicio;
      }),
    );
    bandejaOrden.push((await vardel('read', '--json')).ms);
  }
  const retardos = await pagina.evaluate(() => window.retardos);
  const sinMarca = await pagina.evaluate(() => window.sinMarca);
  if (Object.keys(sinMarca).length) console.log(`events without emitido_ms: ${JSON.stringify(sinMarca)}`);
  const percentil = (valores, p) => {
    const orden = [...valores].sort((a, b) => a - b);
    return orden[Math.min(orden.length - 1, Math.ceil((p / 100) * orden.length) - 1)];
  };
  const ms = (x) => x.toFixed(2);
  console.log(`${windows ? 'vardel.exe under Wine' : 'vardel'}, ${veces} reads of the sample tray`);
  const cifras = (v) => `median ${ms(percentil(v, 50))} ms, min ${ms(Math.min(...v))} ms`;
  console.log(
    `event to page handler: ${retardos.length} events, median ${ms(percentil(retardos, 50))} ms, ` +
      `p99 ${ms(percentil(retardos, 99))} ms, max ${ms(Math.max(...retardos))} ms`,
  );
  console.log(`whole tray through the page (leer to its answer): ${cifras(bandejaPagina)}`);
  console.log(`whole tray with vardel read --json (process start to exit): ${cifras(bandejaOrden)}`);
  await pagina.close();
}

// ---- The lifecycle campaign ----
//
// What a teller and a counter PC do to a read of 12 paced cheques: at a
// random moment one of these happens, then the read goes on as the teller
// would carry it on (reading again what is left in the tray, feeding again
// what the page says to feed again). Every cheque the simulator fed must
// end up shown on the page exactly once: read, to feed again, or pending;
// or, fed while the bridge was killed, named by the notice of the read it
// cut and fed again.

// A small seeded generator (mulberry32): a seed and a run number give the
// same run again.
function generador(semilla) {
  let a = semilla >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}
function pausa(ms) {
  return new Promise((r) => setTimeout(r, ms));
}

async function campanaDeVida(corridas) {
  const SUCESOS = ['recarga', 'pestana', 'sigterm', 'kill9', 'tarde', 'corte'];
  const CHEQUES_POR_CORRIDA = 12;
  const RETARDO_CAMPANA = windows ? 150 : 100;
  const semilla = Number(opciones.semilla ?? Math.floor(Math.random() * 2 ** 32));
  const sola = opciones.corrida ? Number(opciones.corrida) : null;
  console.log(`lifecycle campaign: seed ${semilla} (--semilla ${semilla} --corrida K replays run K)`);
  const estado = estadoPuente;
  const escenario = path.join(trabajo, 'mtxmlmcr.scenario');
  const salidaPuente = path.join(trabajo, 'puente-campana.salida');
  const puertoCampana = await puertoLibre();
  let proceso = null;
  let segmentos = 0;

  // Starts of the bridge: how many, the slowest, and those that had to be
  // made twice.
  const arranques = { veces: 0, mayorMs: 0, repetidos: [] };
  // One start: null once the bridge answers, or what went wrong (a bridge
  // that never answered is killed).
  const intentaArrancar = async () => {
    const registro = fs.openSync(salidaPuente, 'a');
    const desde = Date.now();
    proceso = spawn(
      orden[0],
      [...orden.slice(1), 'serve', '--port', String(puertoCampana), '--allow-origin', permitido.origen],
      {
        cwd: trabajo,
        stdio: ['ignore', registro, registro],
        env: entornoPuente,
      },
    );
    fs.closeSync(registro);
    const este = proceso;
    este.fin = new Promise((r) => este.on('exit', () => r()));
    const limite = desde + 60_000;
    while (Date.now() < limite && este.exitCode === null && este.signalCode === null) {
      try {
        if ((await fetch(`http://127.0.0.1:${puertoCampana}/v1/estado`)).ok) {
          arranques.veces += 1;
          arranques.mayorMs = Math.max(arranques.mayorMs, Date.now() - desde);
          return null;
        }
      } catch {
        // not listening yet
      }
      await pausa(100);
    }
    const segundos = ((Date.now() - desde) / 1000).toFixed(1);
    if (este.exitCode === null && este.signalCode === null) {
      await detiene('SIGKILL');
      return `no answer within ${segundos} s (killed)`;
    }
    proceso = null;
    return `ended after ${segundos} s with ${este.exitCode ?? este.signalCode}`;
  };
  // A restart that fails once is tried again and reported: under Wine on a
  // loaded machine a restarted bridge has been seen to print nothing for a
  // minute. The second failure ends the campaign.
  const arranca = async () => {
    const primero = await intentaArrancar();
    if (primero === null) return;
    arranques.repetidos.push(primero);
    const segundo = await intentaArrancar();
    if (segundo === null) return;
    throw new Error(
      `the bridge did not start (${primero}; again: ${segundo}):\n${fs.readFileSync(salidaPuente, 'utf8').slice(-2000)}`,
    );
  };
  const detiene = async (senal) => {
    if (!proceso) return;
    const este = proceso;
    proceso = null;
    este.kill(senal);
    await este.fin;
  };
  const saludPuente = async () => {
    try {
      return await (await fetch(`http://127.0.0.1:${puertoCampana}/v1/estado`)).json();
    } catch {
      return null;
    }
  };
  // A tray of these cheques (their NumDoc), journalled to a file of its own.
  const bandeja = (cheques) => {
    segmentos += 1;
    const diario = path.join(trabajo, `diario-${segmentos}.log`);
    let texto = `[Reader]\ndelay=${RETARDO_CAMPANA}\njournal=${ruta(diario)}\n[Tray]\ngeneration=${segmentos}\n`;
    cheques.forEach((cheque, i) => {
      texto +=
        `[Document${i + 1}]\nmicr=C${cheque}E0049C1234E0123456789B00B0012A000012345C\n` +
        'image1=size:3000\nimage2=size:2000\n';
    });
    fs.writeFileSync(escenario, texto, 'latin1');
    return { diario, cheques };
  };
  // The cheques the simulator fed from a tray, in order.
  const alimentados = ({ diario, cheques }) => {
    const texto = fs.existsSync(diario) ? fs.readFileSync(diario, 'latin1') : '';
    return texto
      .split('\n')
      .filter((l) => l.startsWith('MTMICRProcessCheck') && l.includes('\tfed=yes'))
      .map((l) => cheques[Number(/\tdocument=(\d+)/.exec(l)?.[1] ?? 0) - 1])
      .filter(Boolean);
  };
  // What a tab shows: its cards and the notices of cut reads.
  const vista = async (pagina) => {
    try {
      return await pagina.evaluate(() => ({
        tarjetas: [...document.querySelectorAll('.cheque[data-documento]')].map((t) => ({
          documento: Number(t.dataset.documento),
          cheque: t.querySelector('[data-campo="NumDoc"]')?.textContent ?? null,
          estado: t.dataset.estado,
        })),
        cortes: [...document.querySelectorAll('#avisos p[data-tipo="lectura_interrumpida"]')].map((p) =>
          Number(p.dataset.ultimo),
        ),
      }));
    } catch {
      return { tarjetas: [], cortes: [] }; // between two pages of a reload
    }
  };

  // The documents the outbox holds (the texts of those not acknowledged).
  // Where the bridge says its outbox is: under Wine, %LOCALAPPDATA% is the
  // prefix's own whatever the environment says, on drive C: of the prefix.
  const archivoBuzon = () => {
    const dicho = [...fs.readFileSync(salidaPuente, 'utf8').matchAll(/; buzón (.+?); orígenes/g)].at(-1)?.[1];
    if (!dicho || !windows) return dicho;
    const prefijo = process.env.VARDEL_WINEPREFIX ?? path.join(path.dirname(path.resolve(opciones.emulador)), '../build/wineprefix');
    const [unidad, resto] = [dicho[0].toUpperCase(), dicho.slice(3).replaceAll('\\', '/')];
    return unidad === 'Z' ? `/${resto}` : path.join(prefijo, `drive_${unidad.toLowerCase()}`, resto);
  };
  const enBuzon = () => {
    const archivo = archivoBuzon();
    if (!comprueba(archivo && fs.existsSync(archivo), `no outbox where the bridge says: ${archivo}`)) return [];
    const vivos = new Map();
    const texto = fs.existsSync(archivo) ? fs.readFileSync(archivo, 'utf8') : '';
    for (const linea of texto.split('\n')) {
      try {
        const r = JSON.parse(linea.slice(9));
        if (r.r === 'documento') vivos.set(r.documento, r.texto);
        if (r.r === 'quita') vivos.delete(r.documento);
      } catch {
        // a line cut short
      }
    }
    return [...vivos.values()];
  };
  const cifras = { corridas: 0, fed: 0, leidos: 0, volver: 0, pendientes: 0, cortados: 0, perdidos: 0, duplicados: 0 };
  const porSuceso = Object.fromEntries(SUCESOS.map((s) => [s, 0]));
  const violaciones = [];
  await arranca();
  for (let corrida = 1; corrida <= corridas; corrida++) {
    const azar = generador(semilla + corrida * 7919);
    const suceso = SUCESOS[Math.floor(azar() * SUCESOS.length)];
    const momento = Math.floor(azar() * (CHEQUES_POR_CORRIDA - 1));
    const demora = 300 + Math.floor(azar() * 2000);
    // How long the teller's application takes to register a cheque before
    // the page acknowledges it: a kill then lands on documents shown and
    // not yet acknowledged.
    const registro = Math.floor(azar() * 400);
    if (sola && corrida !== sola) continue;
    const viola = (texto) =>
      violaciones.push(`run ${corrida} (${suceso} after ${momento} cards; --semilla ${semilla} --corrida ${corrida}): ${texto}`);
    cifras.corridas += 1;
    porSuceso[suceso] += 1;
    const cheques = Array.from({ length: CHEQUES_POR_CORRIDA }, (_, i) => String(2000000 + corrida * 16 + i));
    const deLaCorrida = new Set(cheques);
    // Every tab of the run: what it has shown, by cheque.
    const pestanas = [];
    const anota = (pestana, t) => {
      if (!deLaCorrida.has(t.cheque)) return;
      if (!pestana.vistas.has(t.cheque)) pestana.vistas.set(t.cheque, new Map());
      pestana.vistas.get(t.cheque).set(t.documento, t.estado);
    };
    const nuevaPestana = async () => {
      const contexto = await navegador.newContext();
      const pestana = { contexto, pagina: null, vistas: new Map(), cortes: new Set() };
      // Every card the moment it is put on the page, before the client
      // acknowledges it: a tab closed just after still counts what it
      // showed.
      await contexto.exposeBinding('campanaMuestra', (_, t) => anota(pestana, t));
      await contexto.addInitScript(() => {
        new MutationObserver((cambios) => {
          for (const cambio of cambios) {
            for (const nodo of cambio.addedNodes) {
              if (nodo.nodeType === 1 && nodo.matches('.cheque[data-documento]')) {
                window.campanaMuestra({
                  documento: Number(nodo.dataset.documento),
                  cheque: nodo.querySelector('[data-campo="NumDoc"]')?.textContent ?? null,
                  estado: nodo.dataset.estado,
                });
              }
            }
          }
        }).observe(document, { childList: true, subtree: true });
      });
      await contexto.addInitScript((ms) => {
        const espera = setInterval(() => {
          if (!window.cajero?.puente) return;
          clearInterval(espera);
          window.cajero.puente.on('documento', () => new Promise((r) => setTimeout(r, ms)));
        }, 5);
      }, registro);
      pestana.pagina = await contexto.newPage();
      pestana.pagina.on('pageerror', (e) => erroresPagina.push(`run ${corrida}: ${e.message}`));
      await pestana.pagina.goto(
        `${permitido.origen}/examples/cajero-web/index.html?puerto=${puertoCampana}&reconexion=250`,
      );
      pestanas.push(pestana);
      return pestana;
    };
    const mira = async (pestana) => {
      const { tarjetas, cortes } = await vista(pestana.pagina);
      for (const t of tarjetas) anota(pestana, t);
      for (const c of cortes) pestana.cortes.add(c);
      // The same cheque twice on one tab at once.
      const numeros = tarjetas.filter((t) => deLaCorrida.has(t.cheque)).map((t) => t.cheque);
      if (new Set(numeros).size !== numeros.length) viola(`a tab shows a cheque twice: ${numeros.join(' ')}`);
      return tarjetas;
    };
    const mostrados = () => new Set(pestanas.flatMap((p) => [...p.vistas.keys()]));

    // A kill may cut the cheque in flight; so may a SIGTERM under Wine,
    // which ends the process without a console event.
    const corta = suceso === 'kill9' || (windows && suceso === 'sigterm');
    if (suceso === 'tarde') await detiene('SIGTERM');
    let pestana = await nuevaPestana();
    let hecho = false;
    if (suceso === 'tarde') {
      await pausa(demora);
      await arranca();
      hecho = true;
    } else if (!proceso) {
      await arranca();
    }
    let porLeer = [...cheques];
    for (let lecturas = 0; porLeer.length > 0; lecturas++) {
      if (lecturas === 6) {
        viola(`six reads did not empty the tray; left: ${porLeer.join(' ')}`);
        break;
      }
      const tray = bandeja(porLeer);
      let murio = false;
      const limite = Date.now() + 60_000;
      let pedida = 0;
      let avance = Date.now();
      let ultimos = 0;
      while (Date.now() < limite) {
        const fed = alimentados(tray).length;
        if (fed !== ultimos) [ultimos, avance] = [fed, Date.now()];
        const e = await saludPuente();
        if (e && !e.leyendo && fed === tray.cheques.length) break;
        // Asked, but the request went with a connection (or was never
        // sent): the teller presses the button again.
        const atascada = Date.now() - avance > 3000 && Date.now() - pedida > 3000;
        if (e && !e.leyendo && (pedida === 0 || atascada)) {
          try {
            await pestana.pagina.waitForSelector('#leer:not([disabled])', { timeout: 10_000 });
            await pestana.pagina.click('#leer');
            pedida = Date.now();
            avance = Date.now();
          } catch {
            // not connected yet
          }
        }
        const tarjetas = await mira(pestana);
        const enEsta = tarjetas.filter((t) => tray.cheques.includes(t.cheque)).length;
        if (!hecho && pedida && enEsta >= momento) {
          hecho = true;
          if (suceso === 'recarga') {
            await pestana.pagina.reload().catch(() => {});
          } else if (suceso === 'pestana') {
            await pestana.contexto.close();
            pestana = await nuevaPestana();
          } else if (suceso === 'corte') {
            await pestana.pagina.evaluate(() => window.cajero.puente.socket?.close()).catch(() => {});
          } else {
            await detiene(suceso === 'kill9' ? 'SIGKILL' : 'SIGTERM');
            murio = true;
            await pausa(suceso === 'kill9' ? 0 : demora / 4);
            await arranca();
            break;
          }
        }
        await pausa(100);
      }
      const fed = alimentados(tray);
      cifras.fed += fed.length;
      porLeer = porLeer.filter((c) => !fed.includes(c));
      // Each fed cheque reaches the page (the one open now), or the page
      // names the cut read it was fed in and it is fed again.
      let faltan = [];
      for (const hasta = Date.now() + 30_000; Date.now() < hasta; ) {
        await mira(pestana);
        const vistos = mostrados();
        faltan = fed.filter((c) => !vistos.has(c));
        if (faltan.length === 0 || (murio && corta && pestana.cortes.size > 0)) {
          // Give the last pending ones a moment to land.
          if (faltan.length > 0) {
            await pausa(1000);
            await mira(pestana);
            faltan = fed.filter((c) => !mostrados().has(c));
          }
          break;
        }
        await pausa(150);
      }
      if (faltan.length > 0) {
        // Only a read cut by a kill may leave cheques unshown, and only its
        // last ones: none in the middle.
        const posiciones = faltan.map((c) => fed.indexOf(c));
        const sufijo = posiciones.every((p) => p >= fed.length - faltan.length);
        if (corta && murio && pestana.cortes.size > 0 && sufijo) {
          cifras.cortados += faltan.length;
          porLeer.push(...faltan);
        } else {
          cifras.perdidos += faltan.length;
          viola(`fed and never shown: ${faltan.join(' ')}`);
          porLeer = porLeer.filter((c) => !faltan.includes(c));
        }
      }
    }
    await pausa(300);
    await mira(pestana);
    // Once each: one document for each cheque, shown once on every tab
    // that has it (a tab that replaced another may show again, as
    // pending, what the first did not acknowledge).
    for (const cheque of cheques) {
      const documentos = new Set(pestanas.flatMap((p) => [...(p.vistas.get(cheque)?.keys() ?? [])]));
      if (documentos.size > 1) {
        cifras.duplicados += 1;
        viola(`cheque ${cheque} delivered as documents ${[...documentos].join(', ')}`);
      }
      const estados = pestanas.flatMap((p) => [...(p.vistas.get(cheque)?.values() ?? [])]);
      const ultimo = estados.at(-1);
      if (ultimo === 'pendiente') cifras.pendientes += 1;
      else if (ultimo === 'volver') cifras.volver += 1;
      else if (ultimo === 'leido') cifras.leidos += 1;
    }
    const faltan = cheques.filter((c) => !mostrados().has(c));
    if (faltan.length) viola(`never shown: ${faltan.join(' ')}`);
    // And every document acknowledged in the end: the application
    // registered it, and the outbox keeps nothing of the run.
    let sinAcuse = [];
    for (const hasta = Date.now() + 10_000; Date.now() < hasta; await pausa(200)) {
      sinAcuse = enBuzon().filter((t) => cheques.some((c) => t.includes(`"NumDoc":"${c}"`)));
      if (sinAcuse.length === 0) break;
    }
    if (sinAcuse.length) viola(`${sinAcuse.length} documents never acknowledged`);
    for (const p of pestanas) await p.contexto.close().catch(() => {});
  }
  await detiene('SIGTERM');
  // The campaign's outbox goes with it (under Wine it lies in the shared
  // prefix).
  const buzon = archivoBuzon();
  if (buzon) fs.rmSync(buzon, { force: true });
  const sucesos = SUCESOS.map((s) => `${s} ${porSuceso[s]}`).join(', ');
  console.log(
    `${windows ? 'vardel.exe under Wine' : 'vardel'}: ${cifras.corridas} runs (${sucesos}); ` +
      `${cifras.fed} feeds; shown read ${cifras.leidos}, to feed again ${cifras.volver}, pending ${cifras.pendientes}; ` +
      `cut by a kill and fed again ${cifras.cortados}; lost ${cifras.perdidos}, duplicated ${cifras.duplicados}`,
  );
  console.log(
    `bridge starts: ${arranques.veces}, slowest ${(arranques.mayorMs / 1000).toFixed(1)} s` +
      (arranques.repetidos.length ? `; started again after: ${arranques.repetidos.join('; ')}` : ''),
  );
  if (erroresPagina.length) violaciones.push(`uncaught errors in the page:\n${erroresPagina.join('\n')}`);
  if (/Sanitizer/.test(fs.readFileSync(salidaPuente, 'utf8'))) violaciones.push('a sanitizer reported on the bridge');
  violaciones.push(...fallos);
  if (violaciones.length) {
    console.log(`FAIL (seed ${semilla}):\n${violaciones.join('\n')}`);
    console.log(`bridge output (last lines):\n${fs.readFileSync(salidaPuente, 'utf8').slice(-3000)}`);
    return 1;
  }
  console.log(`lifecycle campaign: seed ${semilla}, 0 lost, 0 duplicated: ok`);
  return 0;
}
