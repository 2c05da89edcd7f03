// Types of vardel-puente, the teller page's client of the Vardel web bridge
// (protocol v1, docs/web-bridge.md). Every event the bridge sends has its
// interface here, with the fields it carries.

export const PUERTO_PREDETERMINADO: number;
/** How many documents (and other events of a read) a tab keeps by default. */
export const MAX_HISTORIAL: number;

// ---------------------------------------------------------------- values

/**
 * A cheque's fields as the component gives them: keys in its order, an
 * empty field null. An unreadable code line gives `IDERR` and `Error`
 * instead.
 */
export interface DatosDocumento {
  NumDoc?: string | null;
  Entidad?: string | null;
  Oficina?: string | null;
  Cuenta?: string | null;
  /** A number with at most two decimals. */
  Importe?: number | null;
  TipoDoc?: string | null;
  /** "yyyy-mm-dd". */
  FechaVto?: string | null;
  /** The unreadable line's error number. */
  IDERR?: number;
  Error?: string;
  [campo: string]: string | number | boolean | null | undefined;
}

/** An image of a document that was not stored. */
export interface ImagenNoGuardada {
  /** 1 front, 2 back, 3 the configured third image (e.g. the front JPEG). */
  imagen: number;
  /** The path that would have been used, or null. */
  ruta: string | null;
  numero: number;
}

/** What every event of the bridge has. */
export interface EventoBase {
  tipo: string;
  /** Only with `vardel serve --marcas-tiempo`: Unix epoch ms when the component's event reached the bridge. */
  emitido_ms?: number;
}

// ---------------------------------------------------------------- events

/** The bridge's first message on every connection. */
export interface EventoBienvenida extends EventoBase {
  tipo: 'bienvenida';
  version: string;
  /** The session's secret: the client keeps it in the tab's sessionStorage. */
  token: string;
  /**
   * True when this connection holds an earlier session: the one its token
   * named, or, when it named none alive, the most recently disconnected
   * session of this origin with a read running or documents unacknowledged
   * (then `token` is that session's).
   */
  reanudada: boolean;
  /** Whether a read (of any page) runs now. */
  leyendo: boolean;
  max_mensaje: number;
  reenvio_segundos: number;
}

/** One document of a read. */
export interface EventoDocumento extends EventoBase {
  tipo: 'documento';
  /** Its number: names one cheque across the bridge's runs; what `recibido` names. */
  documento: number;
  /** The cheque's fields, an unreadable line's IDERR and Error, or null when the reader gave none. */
  datos: DatosDocumento | null;
  /** URLs of its images on the bridge (`/v1/imagenes/<name>`): fetch them with `Puente.imagen`. */
  imagenes: string[];
  no_guardadas: ImagenNoGuardada[];
  /** "vuelva a pasar el talón" when the cheque must be fed again, else null. */
  aviso: string | null;
  /**
   * True for a document recovered by the bridge after it restarted: it
   * cannot tell whether the application registered it. Absent otherwise.
   */
  pendiente?: true;
}

/** The jam: the jammed cheque was not read. */
export interface EventoAtasco extends EventoBase {
  tipo: 'atasco';
  texto: string;
  /** What to do with the jammed cheque. */
  aviso: string;
}

/** Any other operator message, answered at once. */
export interface EventoMensaje extends EventoBase {
  tipo: 'mensaje';
  texto: string;
  titulo: string;
  respuesta: 'Aceptar' | 'No';
}

/** A capture failed with cheques left in the tray. */
export interface EventoCapturaFallida extends EventoBase {
  tipo: 'captura_fallida';
  resultado: number;
  aviso: string;
}

/** The reader's own error event. */
export interface EventoErrorLectora extends EventoBase {
  tipo: 'error_lectora';
  numero: number;
  descripcion: string;
  detalle: string | null;
}

/** A read's summary. */
export interface EventoResumen extends EventoBase {
  tipo: 'resumen';
  inicio: string;
  /** Documents delivered (a jammed cheque is not one: see `atascos`). */
  documentos: number;
  cheques: number;
  no_leidos: number;
  sin_datos: number;
  imagenes: number;
  directorio_imagenes: string;
  segundos: number;
  atascos: number;
  imagenes_no_guardadas: number;
  /** The numbers of the documents to feed again. */
  volver_a_pasar: number[];
}

/** The reader went away during the read. */
export interface EventoLectoraPerdida extends EventoBase {
  tipo: 'lectora_perdida';
  /** The last document delivered whole, 0 if none. */
  ultimo_documento: number;
  datos: DatosDocumento | null;
}

/** The bridge was stopped (Ctrl+C, SIGTERM, logoff): the connection closes next (1001). */
export interface EventoDetenida extends EventoBase {
  tipo: 'detenida';
  motivo: 'interrupcion' | 'terminacion' | 'salida_cerrada' | (string & {});
  ultimo_documento: number;
  datos: DatosDocumento | null;
}

/**
 * A read cut by the bridge's death, told after it came back and sent the
 * documents it had kept (as `pendiente`).
 */
export interface EventoLecturaInterrumpida extends EventoBase {
  tipo: 'lectura_interrumpida';
  /** The last document delivered whole, 0 if none. */
  ultimo_documento: number;
  /** Which cheques to feed again. */
  aviso: string;
}

/** The reader's presence, after `vigilar(true)`. */
export interface EventoLectora extends EventoBase {
  tipo: 'lectora';
  momento: string;
  conectada: boolean;
}

export interface RespuestaOk extends EventoBase {
  tipo: 'respuesta';
  id: unknown;
  ok: true;
  [campo: string]: unknown;
}

export interface RespuestaError extends EventoBase {
  tipo: 'respuesta';
  id: unknown;
  ok: false;
  /** 1000 petición no válida, 1001 ocupada, 1002 sin lectora, 1003 documento desconocido; below 1000 the component's error. */
  numero: number;
  descripcion: string;
  detalle: string | null;
}

/** The answer to a request (also handed to 'respuesta' handlers). */
export type EventoRespuesta = RespuestaOk | RespuestaError;

/** How a read ended: the bridge's answer or, when it was lost, the event that ended the read. */
export interface RespuestaLeer extends RespuestaOk {
  /** null when the answer went with a dropped connection and nothing told how the read ended. */
  final: 'completa' | 'lectora_perdida' | 'detenida' | 'interrumpida' | null;
  resumen?: EventoResumen;
  lectora_perdida?: EventoLectoraPerdida;
  detenida?: EventoDetenida;
  lectura_interrumpida?: EventoLecturaInterrumpida;
}

export interface RespuestaEstado extends RespuestaOk {
  conectada: boolean;
  /** What to check when not connected; null when connected. */
  detalle: string | null;
  aviso: string | null;
  leyendo: boolean;
}

/** Why a connection attempt failed, or a request could not be made. */
export type CodigoError =
  /** Nothing listens at the bridge's address (or the browser does not let the page reach it). */
  | 'sin_puente'
  /** The bridge answers, but does not allow this page's origin. */
  | 'origen_no_permitido'
  /** The health request got an error status. */
  | 'estado'
  /** The WebSocket closed before its welcome (refused, too many sessions). */
  | 'rechazada'
  | 'conexion_perdida'
  | 'sin_conexion'
  | 'cerrada'
  | 'imagen';

/** This client's own event: the connection's state. */
export interface EventoConexion {
  tipo: 'conexion';
  /** conectado; esperando before the next attempt; cerrado after cierra(). */
  estado: 'conectado' | 'esperando' | 'cerrado';
  conectado: boolean;
  reconectando: boolean;
  /** Failed attempts in a row. */
  intento: number;
  /** With 'esperando': the wait before the next attempt. */
  esperaMs: number | null;
  /** With 'esperando': why the last attempt failed, or the connection was lost. */
  error: ErrorPuente | null;
  /** With 'conectado': the welcome. */
  bienvenida: EventoBienvenida | null;
}

/** The events `Puente.historial()` keeps: what a read showed the teller. */
export type EventoHistorial =
  | EventoDocumento
  | EventoAtasco
  | EventoMensaje
  | EventoCapturaFallida
  | EventoErrorLectora
  | EventoResumen
  | EventoLectoraPerdida
  | EventoDetenida
  | EventoLecturaInterrumpida;

/** Every event the bridge sends. */
export type EventoProtocolo = EventoBienvenida | EventoRespuesta | EventoHistorial | EventoLectora;

/** Handlers' events by the name given to `on`. */
export interface EventosPuente {
  bienvenida: EventoBienvenida;
  respuesta: EventoRespuesta;
  documento: EventoDocumento;
  atasco: EventoAtasco;
  mensaje: EventoMensaje;
  captura_fallida: EventoCapturaFallida;
  error_lectora: EventoErrorLectora;
  resumen: EventoResumen;
  lectora_perdida: EventoLectoraPerdida;
  detenida: EventoDetenida;
  lectura_interrumpida: EventoLecturaInterrumpida;
  lectora: EventoLectora;
  conexion: EventoConexion;
  '*': EventoProtocolo | EventoConexion;
}

/** A handler; a 'documento' handler's promise delays the document's acknowledgement. */
export type Manejador<K extends keyof EventosPuente> = (evento: EventosPuente[K]) => void | Promise<unknown>;

// ---------------------------------------------------------------- the client

export class ErrorPuente extends Error {
  constructor(
    descripcion: string,
    opciones?: { numero?: number | null; detalle?: string | null; codigo?: CodigoError | null },
  );
  readonly name: 'ErrorPuente';
  /** Set for a failure of the connection; null for the bridge's ok:false answers. */
  codigo: CodigoError | null;
  /** The bridge's error number, for its ok:false answers. */
  numero: number | null;
  descripcion: string;
  detalle: string | null;
}

export interface OpcionesPuente {
  /** The bridge's port (8765). */
  puerto?: number;
  /** '127.0.0.1' (default), 'localhost' or '::1'. */
  host?: string;
  /** The first wait before connecting again, in ms (500). */
  reconexionMs?: number;
  /** The longest wait between attempts, in ms (10000). */
  reconexionMaximaMs?: number;
  /** false to acknowledge documents yourself with `recibido` (true). */
  acuseAutomatico?: boolean;
  /** Where the tab keeps its session (the tab's sessionStorage); null keeps nothing. */
  almacen?: Pick<Storage, 'getItem' | 'setItem'> | null;
  /** How many documents and events are kept (500). */
  maxHistorial?: number;
}

export class Puente {
  constructor(opciones?: OpcionesPuente);

  /** `http://127.0.0.1:<port>`: where images and the health answer are. */
  readonly base: string;
  readonly baseWs: string;
  /** The session's token (kept across reloads of the tab), or null before the first welcome. */
  readonly token: string | null;
  readonly version: string | null;
  /** The welcome of the open connection, null while not connected. */
  readonly bienvenida: EventoBienvenida | null;
  /** The open WebSocket, or null. */
  readonly socket: WebSocket | null;
  /** Requests waiting for their answer, by id. */
  readonly pendientes: ReadonlyMap<number, { readonly orden: string }>;

  on<K extends keyof EventosPuente>(tipo: K, manejador: Manejador<K>): this;
  off<K extends keyof EventosPuente>(tipo: K, manejador: Manejador<K>): this;

  /**
   * What this tab's page was shown before a reload, oldest first: documents
   * whose handlers finished, and the other events of its reads. None of
   * these documents reaches the handlers again.
   */
  historial(): EventoHistorial[];
  /** Forgets what was shown; the numbers already handed are kept. */
  limpiaHistorial(): void;

  /** GET /v1/estado; rejects with codigo 'sin_puente' or 'origen_no_permitido' when it cannot be had. */
  salud(): Promise<{ servicio: string; version: string; lectora: boolean | null; leyendo: boolean; paginas: number }>;
  /** Connects, and reconnects until `cierra()`; resolves with the next welcome. */
  conecta(): Promise<EventoBienvenida>;
  cierra(): void;

  pide(orden: string, campos?: Record<string, unknown>): Promise<RespuestaOk>;
  leer(): Promise<RespuestaLeer>;
  estado(): Promise<RespuestaEstado>;
  vigilar(activo?: boolean): Promise<RespuestaOk>;
  /** Acknowledges document n (done by the client unless acuseAutomatico is false). */
  recibido(documento: number): void;
  /** An image of a document (one of its `imagenes`), fetched with the token. */
  imagen(url: string): Promise<Blob>;
}
